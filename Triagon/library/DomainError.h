#pragma once

#include <QString>

// A failure that an operation of the store reports to the user: the domain
// and the code tell callers which failure it was, the description is the
// text to show.
struct DomainError
{
    QString domain;
    int code = 0;
    QString localizedDescription;

    // Errors that Triagon makes itself.
    static inline const QString triagonDomain = QStringLiteral("Triagon");
    // The file system's refusals of a file by its name or kind.
    static inline const QString fileDomain = QStringLiteral("File");
    // Errors reported by the operating system, with errno as their code.
    static inline const QString posixDomain = QStringLiteral("POSIX");

    static constexpr int invalidFileNameCode = 258;
    static constexpr int differentFileSizeCode = 1;

    // The chosen item cannot stand for the file: missing, not a regular
    // video file, or already used.
    static DomainError invalidFileName();
    // The chosen file's size differs from the one recorded at import.
    static DomainError differentFileSize();
    // An operating-system failure, with the system's own text.
    static DomainError fromErrno(int error);

    friend bool operator==(const DomainError &a, const DomainError &b)
    {
        return a.domain == b.domain && a.code == b.code && a.localizedDescription == b.localizedDescription;
    }
};
