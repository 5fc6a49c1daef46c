#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <gtest/gtest.h>

// The one child of `parent` named `name`, at any depth: how a test reaches a
// widget's part without a getter kept only for it. No such child, or more
// than one (the name would not say which), is a failure of the test and gives
// a null pointer.
template <typename T>
T *child(const QObject *parent, const char *name)
{
    const QList<T *> found = parent->findChildren<T *>(QString::fromLatin1(name));
    if (found.size() != 1) {
        ADD_FAILURE() << found.size() << " children named " << name;
        return nullptr;
    }
    return found.first();
}
