#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

// Qt's texts as GoogleTest shows them in a failure: as quoted text with CR, LF and other
// control bytes escaped, not as lists of characters.
inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << '"';
    for (const char c : bytes) {
        if (c == '\r') {
            *out << "\\r";
        } else if (c == '\n') {
            *out << "\\n";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            *out << "\\x"
                 << "0123456789abcdef"[(c >> 4) & 0xf] << "0123456789abcdef"[c & 0xf];
        } else {
            *out << c;
        }
    }
    *out << '"';
}

inline void PrintTo(const QString& text, std::ostream* out)
{
    PrintTo(text.toUtf8(), out);
}

inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '{';
    for (qsizetype i = 0; i < texts.size(); ++i) {
        *out << (i ? ", " : "");
        PrintTo(texts[i], out);
    }
    *out << '}';
}
