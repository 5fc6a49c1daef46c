#pragma once

#include <QString>

// A failure of the organize run's file work, as the run reports it: the domain
// and the code tell which failure it was, the description is the text the
// user reads (after the file's name) in the result and in the commit record.
struct OrganizeError
{
    QString domain;
    int code = 0;
    QString localizedDescription;

    // Errors that Triagon makes itself.
    static inline const QString triagonDomain = QStringLiteral("Triagon");
    // The file system's refusal of a name or of the kind of an entry.
    static inline const QString fileDomain = QStringLiteral("File");
    // Errors reported by the operating system, with errno as their code.
    static inline const QString posixDomain = QStringLiteral("POSIX");

    // The codes of the Triagon domain.
    static constexpr int changedSinceImportCode = 1;
    static constexpr int sizeChangedDuringMoveCode = 2;
    static constexpr int notReturnedCode = 3;
    static constexpr int returnedCode = 4;
    // What lies at the clip's path is not a regular file.
    static constexpr int notARegularFileCode = 5;
    // A name that cannot be written as given (a symbolic link where a folder
    // is planned, a clip name that is not one path component).
    static constexpr int invalidFileNameCode = 642;

    // The file at the clip's place is not the one imported: its size differs
    // from the recorded one.
    static OrganizeError changedSinceImport();
    // What lies at the clip's path is not a regular file; `whatItIs` names it
    // ("a folder", "a symbolic link", "a named pipe (FIFO)", ...). It is
    // never moved.
    static OrganizeError notARegularFile(const QString &whatItIs);
    // The moved file does not have the size it had just before the move.
    static OrganizeError sizeChangedDuringMove();
    // The verified move's outcome after a failed size check: the file was
    // moved back (code 4), or it could not be (code 3).
    static OrganizeError returned(const QString &failure);
    static OrganizeError notReturned(const QString &failure, const QString &moveBackFailure);
    // A planned folder that exists as a symbolic link.
    static OrganizeError symbolicLinkFolder(const QString &path);
    // A clip whose name or place cannot make a destination inside its folder.
    static OrganizeError unusableFileName(const QString &name);
    // An operating-system failure with the system's own text; with a path,
    // the path follows in parentheses.
    static OrganizeError fromErrno(int error, const QString &path = QString());

    friend bool operator==(const OrganizeError &, const OrganizeError &) = default;
};
