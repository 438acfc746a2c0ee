// GLib names a struct field "signals"; Qt defines that word as a macro, so
// GIO comes first.
#include <gio/gio.h>
#include <gio/gdesktopappinfo.h>

#include "OpenWith.h"

#include "IconList.h"
#include "TraceLog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Enough of the file's start for the desktop's content sniffing.
constexpr qint64 kSniffBytes = 4096;

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

OpenWithApplication Describe(GAppInfo* app)
{
    return {FromUtf8(g_app_info_get_id(app)), FromUtf8(g_app_info_get_display_name(app)),
            IconNameOf(g_app_info_get_icon(app))};
}

}  // namespace

QString OpenWithContentType(const QString& path)
{
    QByteArray head;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        head = file.read(kSniffBytes);
    const QByteArray name = QFile::encodeName(path);
    gboolean uncertain = FALSE;
    gchar* type = g_content_type_guess(name.constData(), reinterpret_cast<const guchar*>(head.constData()),
                                       static_cast<gsize>(head.size()), &uncertain);
    QString result = FromUtf8(type);
    g_free(type);
    return result.isEmpty() ? QStringLiteral("application/octet-stream") : result;
}

std::vector<OpenWithApplication> OpenWithApplications(const QString& contentType)
{
    std::vector<OpenWithApplication> apps;
    if (contentType.isEmpty())
        return apps;
    const QByteArray type = contentType.toUtf8();
    GAppInfo* preferred = g_app_info_get_default_for_type(type.constData(), FALSE);
    if (preferred)
        apps.push_back(Describe(preferred));
    GList* all = g_app_info_get_all_for_type(type.constData());
    for (GList* node = all; node; node = node->next) {
        auto* app = static_cast<GAppInfo*>(node->data);
        if (!(preferred && g_app_info_equal(app, preferred)))
            apps.push_back(Describe(app));
    }
    g_list_free_full(all, g_object_unref);
    if (preferred)
        g_object_unref(preferred);
    return apps;
}

bool OpenWithLaunch(const QString& applicationId, const QString& path, QString* error)
{
    GDesktopAppInfo* app = g_desktop_app_info_new(applicationId.toUtf8().constData());
    if (!app) {
        if (error)
            *error = QStringLiteral("The application %1 is no longer installed.").arg(applicationId);
        return false;
    }
    GFile* target = g_file_new_for_path(QFile::encodeName(path).constData());
    GList* files = g_list_append(nullptr, target);
    GError* failure = nullptr;
    const gboolean ok = g_app_info_launch(G_APP_INFO(app), files, nullptr, &failure);
    if (!ok && error)
        *error = failure ? FromUtf8(failure->message) : QStringLiteral("the application did not start");
    if (failure)
        g_error_free(failure);
    g_list_free(files);
    g_object_unref(target);
    g_object_unref(app);
    return ok;
}

COpenWithDlg::COpenWithDlg(const QString& path, QWidget* parent)
    : QDialog(parent), m_strPath(path), m_strType(OpenWithContentType(path)), m_aApps(OpenWithApplications(m_strType))
{
    setWindowTitle(QStringLiteral("Open With"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Choose the program to open \"%1\" with:").arg(path), this);
    label->setWordWrap(true);
    layout->addWidget(label);
    m_pList = new QListWidget(this);
    for (const OpenWithApplication& app : m_aApps) {
        auto* row = new QListWidgetItem(app.name, m_pList);
        if (!app.iconName.isEmpty())
            row->setIcon(CIconList::Instance().Icon(CIconList::Instance().IndexForIconName(app.iconName)));
        row->setToolTip(app.id);
    }
    layout->addWidget(m_pList);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(m_pList, &QListWidget::currentRowChanged, ok, [ok](int row) { ok->setEnabled(row >= 0); });
    connect(m_pList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (!m_aApps.empty())
        m_pList->setCurrentRow(0);
}

int COpenWithDlg::GetChoice() const
{
    return m_pList->currentRow();
}

void COpenWithDlg::SetChoice(int row)
{
    m_pList->setCurrentRow(row);
}

bool COpenWithDlg::Launch() const
{
    const int row = GetChoice();
    if (row < 0 || row >= static_cast<int>(m_aApps.size())) {
        g_TraceLog.Message("No program chosen, \"%s\" was not opened.", m_strPath.toUtf8().constData());
        return false;
    }
    const OpenWithApplication& app = m_aApps[static_cast<size_t>(row)];
    QString error;
    const bool ok = OpenWithLaunch(app.id, m_strPath, &error);
    g_TraceLog.Trace("COpenWithDlg.Launch: %s %s, ok = %d", app.id.toUtf8().constData(),
                     m_strPath.toUtf8().constData(), ok ? 1 : 0);
    if (!ok)
        g_TraceLog.Message("%s could not open \"%s\": %s", app.name.toUtf8().constData(),
                           m_strPath.toUtf8().constData(), error.toUtf8().constData());
    return ok;
}

void OpenWithChooser(QWidget* parent, const QString& path)
{
    COpenWithDlg dialog(path, parent);
    if (dialog.GetApplications().empty()) {
        g_TraceLog.Message("No program is registered for files of type %s, such as \"%s\".",
                           dialog.GetContentType().toUtf8().constData(), path.toUtf8().constData());
        return;
    }
    if (dialog.exec() == QDialog::Accepted)
        dialog.Launch();
}
