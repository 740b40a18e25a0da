/// @file
/// OXELog: the render device's log file "log_renderdevice.txt", shared by the device and its two
/// managers. Each line is a component prefix, the message and a line feed. The file is opened in
/// text mode, so on Windows the line feed reaches the disk as CR LF.
///
/// Usage (the device owns the one OXELog and hands its address to the managers):
///
///     log->Write(OXE_LOG_SKINMAN, "online");
///     log->Write(OXE_LOG_VCMAN, "texture %s loaded", name);   // never pass caller text as format
///     log->WriteText(OXE_LOG_DEVICE, textFromSomewhere);       // raw text, no formatting
/// A write before Open, after Close or when the file could not be opened does nothing.
#pragma once
#include <cstdarg>
#include <cstdio>

#define OXE_LOG_DEVICE "[OXED3DDEVICE]: "  ///< prefix of the render device's lines
#define OXE_LOG_SKINMAN "[OXED3DSkinMn]: " ///< prefix of the skin manager's lines
#define OXE_LOG_VCMAN "[OXED3DVCMngr]: "   ///< prefix of the vertex cache manager's lines

/// Library-wide: when set, every line is flushed to the file as soon as it is written.
/// Init sets it from its last argument; it is clear before that.
extern bool g_OXEFlushLog;

/// A log file of prefixed lines. Life cycle: Open (truncates the file), any number of writes,
/// Close (the destructor closes too). Not copyable; the owner hands its address to others.
class OXELog {
public:
    enum { MessageSize = 260 }; ///< formatted messages longer than this (terminator included) are cut

    /// A log without a file: writes do nothing until Open.
    OXELog() {}
    /// Closes the file.
    ~OXELog() { Close(); }
    OXELog(const OXELog&) = delete;
    OXELog& operator=(const OXELog&) = delete;

    /// Opens (truncates) the file for writing text; other processes may read it meanwhile. A file
    /// already open is closed first. False when it cannot be opened (writes then do nothing).
    bool Open(const char* fileName);
    /// Closes the file; later writes do nothing.
    void Close();
    /// True while a file is open.
    bool IsOpen() const { return file != nullptr; }

    /// Formats the message printf-style and writes prefix, message, line feed (flushed when
    /// g_OXEFlushLog is set). Never pass text from elsewhere as the format: use WriteText.
    void Write(const char* prefix, const char* format, ...) __attribute__((format(printf, 3, 4)));
    /// Write with the arguments as a va_list.
    void WriteV(const char* prefix, const char* format, va_list args);
    /// Writes prefix, text as given (no formatting, cut like a formatted message), line feed.
    void WriteText(const char* prefix, const char* text);

    FILE* file = nullptr; ///< the open C stream, or none

private:
    void writeLine(const char* prefix, const char* message);
};
