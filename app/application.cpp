#include "app/application.h"

#include "talvex_version.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QImageReader>
#include <QLocale>
#include <QPixmap>
#include <QStringList>

static void initResources() {
    Q_INIT_RESOURCE(resources);
}

void setUpApplication(QApplication& application) {
    initResources();
    // The settings store names its organisation and application itself, so the name here does not
    // move the settings; on X11 it becomes the window class that the desktop entry matches.
    application.setApplicationName(QString::fromLatin1(talvex_version::productName));
    application.setApplicationDisplayName(QString());
    application.setApplicationVersion(QString::fromLatin1(talvex_version::version));
    // The panel's icon stands for the program; each window still sets its own.
    QApplication::setWindowIcon(QIcon(pngPicture(QStringLiteral(":/panel_icon.png"))));
    // Closing a window never ends the program; only the three exits do.
    application.setQuitOnLastWindowClosed(false);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));

    // The captions are designed for two Windows fonts; elsewhere the CJK fonts of the desktop stand in.
    const QStringList serif{QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                            QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
                            QStringLiteral("Songti SC")};
    const QStringList sans{QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC"),
                           QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("WenQuanYi Zen Hei"),
                           QStringLiteral("PingFang SC")};
    QFont::insertSubstitutions(QStringLiteral("宋体"), serif);
    QFont::insertSubstitutions(QStringLiteral("微软雅黑"), sans);
}

QPixmap pngPicture(const QString& resource) {
    QImageReader reader(resource, "png");
    // With detection on, the plugins are asked before the built-in PNG reader, even for a named format.
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}
