#include "app/widgets/RevealFolderHandler.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gio/gio.h>

#include <cstring>
#include <memory>

#include <sys/stat.h>

namespace {

bool sameFile(const QString &a, const char *b)
{
    struct stat first
    {
    };
    struct stat second
    {
    };
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 && ::stat(b, &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

// The program the entry starts: GIO's executable, or for an entry that
// starts it through `env` (as snap's entries do), the word after env's
// settings in the entry's command line.
QString program(GAppInfo *info)
{
    const QString executable = QFile::decodeName(g_app_info_get_executable(info));
    gchar **words = nullptr;
    if (QFileInfo(executable).fileName() != QStringLiteral("env")
        || !g_shell_parse_argv(g_app_info_get_commandline(info), nullptr, &words, nullptr))
        return executable;
    const std::unique_ptr<gchar *, void (*)(gchar **)> owned(words, g_strfreev);
    for (gchar **word = words + 1; *word; ++word) {
        if (std::strchr(*word, '=') == nullptr && **word != '-')
            return QFile::decodeName(*word);
    }
    return executable;
}

bool runsTriagon(const QString &program)
{
    if (program.isEmpty())
        return false;
    if (QFileInfo(program).fileName() == QStringLiteral("triagon"))
        return true;
    const QString path = program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    // The running program itself, through a link or a hard link of another name.
    return !path.isEmpty() && sameFile(path, "/proc/self/exe");
}

} // namespace

QString RevealFolderHandler::ownDesktopId()
{
    return QStringLiteral("com.brinkwolder.Triagon.desktop");
}

RevealFolderHandler::Handler RevealFolderHandler::lookup(const QString &mimeType)
{
    GAppInfo *info = g_app_info_get_default_for_type(mimeType.toUtf8().constData(), FALSE);
    if (info == nullptr)
        return {};
    const std::unique_ptr<GAppInfo, void (*)(gpointer)> owned(info, g_object_unref);
    const QString id = QString::fromUtf8(g_app_info_get_id(info));
    return {id, id == ownDesktopId() || runsTriagon(program(info))};
}
