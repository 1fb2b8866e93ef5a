#include "settings/settings_store.h"

#include "app/runtime_error.h"
#include "settings/setting_rules.h"

#include <QSettings>
#include <QString>

#include <memory>

namespace settings_store {

namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Linux: $XDG_CONFIG_HOME/quorvy.conf, section [quorvy]. Windows: HKCU\Software\quorvy\quorvy.
// macOS: the user's preferences for quorvy.
std::unique_ptr<QSettings> open() {
#ifdef Q_OS_WIN
    auto settings = std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\") +
                                                    qt(setting_rules::application),
                                                QSettings::NativeFormat);
#else
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                qt(setting_rules::application), QString());
#endif
    settings->beginGroup(qt(setting_rules::section));
    return settings;
}

} // namespace

std::string read(std::string_view key) {
    return open()->value(qt(key)).toString().toStdString();
}

void write(std::string_view key, const std::string& text) {
    const auto settings = open();
    if (!settings->isWritable())
        throw RuntimeError::pathFileAccess();
    const QString name = qt(key);
    const QVariant previous = settings->value(name);
    settings->setValue(name, QString::fromStdString(text));
    settings->sync();
    if (settings->status() == QSettings::NoError)
        return;
    // Qt keeps an unsaved change in memory and would write it with some later value; put the old one back
    // so that what the program reads stays what is on disk.
    if (previous.isValid())
        settings->setValue(name, previous);
    else
        settings->remove(name);
    throw RuntimeError::pathFileAccess();
}

} // namespace settings_store
