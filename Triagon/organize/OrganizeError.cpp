#include "organize/OrganizeError.h"

#include <QtGlobal>

OrganizeError OrganizeError::changedSinceImport()
{
    return {
        triagonDomain, changedSinceImportCode,
        QStringLiteral("The file changed since import. The original has been left in place; remove and re-import it before exporting.")};
}

OrganizeError OrganizeError::notARegularFile(const QString &whatItIs)
{
    return {triagonDomain, notARegularFileCode,
            QStringLiteral("This is ") + whatItIs + QStringLiteral(", not a regular file; it has been left in place.")};
}

OrganizeError OrganizeError::sizeChangedDuringMove()
{
    return {triagonDomain, sizeChangedDuringMoveCode, QStringLiteral("The file size changed during the move.")};
}

OrganizeError OrganizeError::returned(const QString &failure)
{
    return {triagonDomain, returnedCode, failure + QStringLiteral(" The file was returned to its original folder.")};
}

OrganizeError OrganizeError::notReturned(const QString &failure, const QString &moveBackFailure)
{
    return {triagonDomain, notReturnedCode,
            failure + QStringLiteral(" Could not return the file to its original folder: ") + moveBackFailure};
}

OrganizeError OrganizeError::symbolicLinkFolder(const QString &path)
{
    return {fileDomain, invalidFileNameCode,
            QStringLiteral("The folder name is invalid: \u201C") + path + QStringLiteral("\u201D is a symbolic link.")};
}

OrganizeError OrganizeError::unusableFileName(const QString &name)
{
    return {fileDomain, invalidFileNameCode, QStringLiteral("The file name \u201C") + name + QStringLiteral("\u201D is invalid.")};
}

OrganizeError OrganizeError::fromErrno(int error, const QString &path)
{
    QString text = qt_error_string(error);
    if (!path.isEmpty())
        text += QStringLiteral(" (") + path + QLatin1Char(')');
    return {posixDomain, error, text};
}
