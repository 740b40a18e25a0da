// OXELog: the render device's log file "log_renderdevice.txt", shared by the device and its two
// managers. Each line is a component prefix, the message and a line feed. The file is opened in
// text mode, so on Windows the line feed reaches the disk as CR LF.
//
// Usage (the device owns the one OXELog and hands its address to the managers):
//     log->Write(OXE_LOG_SKINMAN, "online");
//     log->Write(OXE_LOG_VCMAN, "texture %s loaded", name);   // never pass caller text as format
//     log->WriteText(OXE_LOG_DEVICE, textFromSomewhere);       // raw text, no formatting
// A write before Open, after Close or when the file could not be opened does nothing.
#pragma once
#include <cstdarg>
#include <cstdio>

#define OXE_LOG_DEVICE "[OXED3DDEVICE]: "  // lines of the render device
#define OXE_LOG_SKINMAN "[OXED3DSkinMn]: " // lines of the skin manager
#define OXE_LOG_VCMAN "[OXED3DVCMngr]: "   // lines of the vertex cache manager

// Library-wide: when set, every line is flushed to the file as soon as it is written.
// Init sets it from its last argument; it is clear before that.
extern bool g_OXEFlushLog;

class OXELog {
public:
    enum { MessageSize = 260 }; // formatted messages longer than this (terminator included) are cut

    OXELog() {}
    ~OXELog() { Close(); }
    OXELog(const OXELog&) = delete;
    OXELog& operator=(const OXELog&) = delete;

    // Opens (truncates) the file for writing text; other processes may read it meanwhile.
    bool Open(const char* fileName);
    // Closes the file; later writes do nothing.
    void Close();
    bool IsOpen() const { return file != nullptr; }

    // Formats the message printf-style and writes prefix, message, line feed.
    void Write(const char* prefix, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void WriteV(const char* prefix, const char* format, va_list args);
    // Writes prefix, text as given (no formatting, cut like a formatted message), line feed.
    void WriteText(const char* prefix, const char* text);

    FILE* file = nullptr; // the open C stream, or none

private:
    void writeLine(const char* prefix, const char* message);
};
