// GLib names a struct field "signals"; Qt defines that word as a macro, so
// GIO comes first.
#include <gio/gio.h>
#include <gio/gdesktopappinfo.h>

#include "ShellGio.h"

#include <QFileInfo>
#include <QUrl>

namespace {

QString FromUtf8(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

QString IconNameOf(GIcon* icon)
{
    if (!icon)
        return {};
    gchar* text = g_icon_to_string(icon);
    const QString name = FromUtf8(text);
    g_free(text);
    return name;
}

bool SameApp(GAppInfo* a, GAppInfo* b)
{
    return a && b && g_app_info_equal(a, b);
}

int LaunchWith(GAppInfo* app, const QString& file)
{
    if (!app)
        return kShellNoAssociation;
    GFile* target = g_file_new_for_path(QFile::encodeName(file).constData());
    GList* files = g_list_append(nullptr, target);
    GError* error = nullptr;
    const gboolean ok = g_app_info_launch(app, files, nullptr, &error);
    g_list_free(files);
    g_object_unref(target);
    if (error)
        g_error_free(error);
    return ok ? kShellOk : kShellNoAssociation;
}

int RunProgram(const QString& program, const QString& parameter)
{
    const QFileInfo info(program);
    if (!info.exists())
        return kShellFileNotFound;
    const QString real = info.canonicalFilePath();
    if (real.endsWith(QLatin1String(".desktop"))) {
        GDesktopAppInfo* launcher = g_desktop_app_info_new_from_filename(QFile::encodeName(real).constData());
        const int result = LaunchWith(G_APP_INFO(launcher), parameter);
        if (launcher)
            g_object_unref(launcher);
        return result;
    }
    if (QFileInfo(real).isFile() && QFileInfo(real).isExecutable()) {
        const QByteArray programBytes = QFile::encodeName(real);
        const QByteArray parameterBytes = QFile::encodeName(parameter);
        gchar* argv[] = {const_cast<gchar*>(programBytes.constData()), const_cast<gchar*>(parameterBytes.constData()),
                         nullptr};
        GError* error = nullptr;
        const gboolean ok = g_spawn_async(nullptr, argv, nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr, &error);
        if (error)
            g_error_free(error);
        return ok ? kShellOk : kShellNoAssociation;
    }
    return kShellNoAssociation;
}

}  // namespace

QString ShellContentTypeForName(const QString& fileName)
{
    gboolean uncertain = FALSE;
    gchar* type = g_content_type_guess(fileName.toUtf8().constData(), nullptr, 0, &uncertain);
    QString result = FromUtf8(type);
    g_free(type);
    if (uncertain || result.isEmpty() || result == QLatin1String("application/octet-stream"))
        return {};
    return result;
}

QString ShellContentTypeForFile(const QString& path)
{
    // Enough of the file's start for the desktop's content sniffing.
    constexpr qint64 kSniffBytes = 4096;
    QByteArray head;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        head = file.read(kSniffBytes);
    const QByteArray name = QFile::encodeName(path);
    gboolean uncertain = FALSE;
    gchar* type = g_content_type_guess(name.constData(), reinterpret_cast<const guchar*>(head.constData()),
                                       static_cast<gsize>(head.size()), &uncertain);
    const QString result = FromUtf8(type);
    g_free(type);
    return result.isEmpty() ? QStringLiteral("application/octet-stream") : result;
}

std::vector<ShellApplication> ShellApplicationsForType(const QString& contentType)
{
    std::vector<ShellApplication> apps;
    if (contentType.isEmpty())
        return apps;
    const QByteArray type = contentType.toUtf8();
    GAppInfo* preferred = g_app_info_get_default_for_type(type.constData(), FALSE);
    const auto add = [&apps](GAppInfo* app, bool isDefault) {
        apps.push_back({FromUtf8(g_app_info_get_id(app)), FromUtf8(g_app_info_get_display_name(app)),
                        IconNameOf(g_app_info_get_icon(app)), isDefault});
    };
    if (preferred)
        add(preferred, true);
    GList* all = g_app_info_get_all_for_type(type.constData());
    for (GList* node = all; node; node = node->next) {
        auto* app = static_cast<GAppInfo*>(node->data);
        if (!SameApp(app, preferred))
            add(app, false);
    }
    g_list_free_full(all, g_object_unref);
    if (preferred)
        g_object_unref(preferred);
    return apps;
}

ShellLauncher ShellReadLauncher(const QString& path)
{
    ShellLauncher launcher;
    GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(QFile::encodeName(path).constData());
    if (!info)
        return launcher;
    launcher.valid = true;
    launcher.displayName = FromUtf8(g_app_info_get_display_name(G_APP_INFO(info)));
    launcher.iconName = IconNameOf(g_app_info_get_icon(G_APP_INFO(info)));
    g_object_unref(info);
    return launcher;
}

int ShellExecute(const QString& verb, const QString& file, const QString& parameter)
{
    if (!parameter.isEmpty())
        return RunProgram(file, parameter);
    if (!QFileInfo::exists(file))
        return kShellFileNotFound;
    if (verb.compare(QLatin1String("open"), Qt::CaseInsensitive) == 0) {
        const QByteArray uri = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toEncoded();
        GError* error = nullptr;
        const gboolean ok = g_app_info_launch_default_for_uri(uri.constData(), nullptr, &error);
        if (error)
            g_error_free(error);
        return ok ? kShellOk : kShellNoAssociation;
    }
    GDesktopAppInfo* app = g_desktop_app_info_new(verb.toUtf8().constData());
    const int result = LaunchWith(G_APP_INFO(app), file);
    if (app)
        g_object_unref(app);
    return result;
}
