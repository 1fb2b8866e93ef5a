#include "settings/settings_store.h"

#include "app/runtime_error.h"
#include "settings/setting_rules.h"

#include <QFile>
#include <QSettings>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

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

// Qt rewrites the whole file on every write, keeping only what it understood: a damaged file would
// lose the rest, and bytes that are not UTF-8 would be dropped from other programs' values. Such a
// file is left exactly as it is, and the write fails instead.
bool safeToRewrite(const QSettings& settings) {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    Q_UNUSED(settings);
    return true; // the registry and property lists are not rewritten from text
#else
    QFile file(settings.fileName());
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = utf8(file.readAll());
    if (utf8.hasError())
        return false;
    // Every section parsed, as the write will do.
    QSettings whole(settings.fileName(), QSettings::IniFormat);
    whole.allKeys();
    return whole.status() == QSettings::NoError;
#endif
}

} // namespace

std::string read(std::string_view key) {
    const QVariant value = open()->value(qt(key));
    // An unquoted comma makes Qt split the text into a list; the stored text is the whole line.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(',')).toStdString();
    return value.toString().toStdString();
}

void write(std::string_view key, const std::string& text) {
    const auto settings = open();
    if (!settings->isWritable() || !safeToRewrite(*settings))
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
