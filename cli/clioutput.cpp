// Writes through stdio, flushed per line, so that lines from the two channels keep their order
// on a terminal and reach a pipe as they happen.
#include "cli/clioutput.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

void write(FILE *to, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fflush(to);
}

QByteArray encoded(FILE *to, const QString &text)
{
#ifdef Q_OS_WIN
    // A console shows text in its own code page, not the system's ANSI one, which garbled
    // German quotes; told to take UTF-8, it shows every character.
    if (_isatty(_fileno(to))) {
        static const bool utf8 = SetConsoleOutputCP(CP_UTF8) != 0;
        if (utf8)
            return text.toUtf8();
    }
#else
    Q_UNUSED(to);
#endif
    return text.toLocal8Bit();
}

} // namespace

QString CliOutput::printable(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        // C1 controls too: some terminals read U+009B as the start of a sequence.
        if ((u < 0x20 && u != u'\n' && u != u'\t') || (u >= 0x7f && u < 0xa0))
            c = QChar(0xfffd);
    }
    return out;
}

void CliOutput::data(const QString &line)
{
    write(stdout, encoded(stdout, printable(line) + QLatin1Char('\n')));
}

void CliOutput::json(const QJsonDocument &document)
{
    write(stdout, document.toJson(QJsonDocument::Indented));
}

void CliOutput::note(const QString &line)
{
    write(stderr, encoded(stderr, printable(line) + QLatin1Char('\n')));
}

void CliOutput::error(const QString &line)
{
    note(QCoreApplication::applicationName() + QStringLiteral(": ") + line);
}

void CliOutput::raw(const QString &text)
{
    write(stderr, encoded(stderr, text));
}

QString CliOutput::wrapped(const QString &text, int indent, int width)
{
    const QString margin(indent, QLatin1Char(' '));
    QStringList lines;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString &word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (!line.isEmpty() && indent + line.size() + 1 + word.size() > width) {
                lines << line;
                line.clear();
            }
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n') + margin);
}

bool CliOutput::messagesOnTerminal()
{
#ifdef Q_OS_WIN
    // The progress line rewrites itself with terminal sequences, which a console follows once
    // asked to.
    DWORD mode = 0;
    const HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    if (!_isatty(_fileno(stderr)) || !GetConsoleMode(console, &mode))
        return false;
    return SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
#else
    return ::isatty(STDERR_FILENO) == 1;
#endif
}
