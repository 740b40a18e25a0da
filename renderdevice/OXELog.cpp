#include "OXELog.h"
#include <cstring>

bool g_OXEFlushLog = false;

bool OXELog::Open(const char* fileName)
{
    Close();
    file = fopen(fileName, "w");
    return file != nullptr;
}

void OXELog::Close()
{
    if (!file) return;
    fclose(file);
    file = nullptr;
}

void OXELog::Write(const char* prefix, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteV(prefix, format, args);
    va_end(args);
}

void OXELog::WriteV(const char* prefix, const char* format, va_list args)
{
    if (!file || !format) return;
    char message[MessageSize];
    message[0] = '\0';
    vsnprintf(message, sizeof(message), format, args); // cuts a longer message
    message[MessageSize - 1] = '\0';                   // terminated even where the runtime does not
    writeLine(prefix, message);
}

void OXELog::WriteText(const char* prefix, const char* text)
{
    if (!file) return;
    char message[MessageSize];
    size_t n = text ? strlen(text) : 0;
    if (n > MessageSize - 1) n = MessageSize - 1;
    if (n) memcpy(message, text, n);
    message[n] = '\0';
    writeLine(prefix, message);
}

void OXELog::writeLine(const char* prefix, const char* message)
{
    fputs(prefix ? prefix : "", file);
    fputs(message, file);
    fputc('\n', file);
    if (g_OXEFlushLog) fflush(file);
}
