#include "app/application.h"

#include <QApplication>
#include <QFont>
#include <QLocale>
#include <QStringList>

static void initResources() {
    Q_INIT_RESOURCE(resources);
}

void setUpApplication(QApplication& application) {
    initResources();
    application.setApplicationName(QStringLiteral("talvex"));
    application.setApplicationDisplayName(QString());
    application.setApplicationVersion(QStringLiteral("2022.601"));
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
