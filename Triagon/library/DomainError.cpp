#include "library/DomainError.h"

#include <QtGlobal>

DomainError DomainError::invalidFileName()
{
    return {fileDomain, invalidFileNameCode, QStringLiteral("The file name is invalid.")};
}

DomainError DomainError::differentFileSize()
{
    return {triagonDomain, differentFileSizeCode,
            QStringLiteral("This file has a different size from the original. Choose the original clip to preserve your review.")};
}

DomainError DomainError::fromErrno(int error)
{
    return {posixDomain, error, qt_error_string(error)};
}
