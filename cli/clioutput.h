// Where the command-line program writes: data a script reads on standard output, messages for
// people on standard error, so that a pipe gets the data alone.
#pragma once

#include <QString>

class QJsonDocument;

namespace CliOutput {

// text with every control character but line ends and tabs shown as U+FFFD: names and labels
// read from the stick could otherwise retitle or clear the user's terminal.
QString printable(const QString &text);
// One line of data on stdout.
void data(const QString &line);
// A JSON document on stdout.
void json(const QJsonDocument &document);
// One line for people on stderr. data and note print their text printable().
void note(const QString &line);
// A line for people on stderr saying what went wrong, after the program's name.
void error(const QString &line);
// stderr as it is, no line ending added: the progress line rewrites itself with it.
void raw(const QString &text);
// text broken into lines of at most width columns, every line after the first indented by
// indent blanks (the first follows a label of that width); line breaks in text are kept.
QString wrapped(const QString &text, int indent = 0, int width = 79);
// Whether stderr is a terminal, where a line can be rewritten in place.
bool messagesOnTerminal();

} // namespace CliOutput
