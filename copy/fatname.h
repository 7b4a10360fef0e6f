// Which names the stick's FAT volume can hold, as Windows and the kernel both read them, and
// which paths the stick can be told to boot. Shared by new folders and by the checks of a drop.
#pragma once

#include <QCoreApplication>
#include <QString>

class FatName
{
    Q_DECLARE_TR_FUNCTIONS(FatName)
public:
    enum class Problem {
        None,
        Empty,
        Dots, // "." and ".." name folders that are there already
        ForbiddenCharacter, // \ / : * ? " < > | or a control character
        TrailingDotOrSpace,
        TooLong, // over 255 characters
        Reserved, // CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension
    };

    // What stops FAT from holding name, or None.
    static Problem check(const QString &name);
    // The problem in words, for any name on the stick (a file's or a folder's).
    static QString reason(Problem problem);
    // Whether every character of text is one the stick is told in (Latin-1, a byte each).
    static bool isLatin1(const QString &text);
    // The first part of path ("/linux/a.iso") with a character beyond Latin-1; empty if none.
    static QString firstNotLatin1(const QString &path);
    // name made fit for FAT where the fix is plain (forbidden characters become "_", trailing
    // dots and spaces go, a reserved name gets "_" in front); empty when there is none.
    static QString fixed(const QString &name);
};
