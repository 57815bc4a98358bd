#include "Window/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace yomi::gui {
namespace {

// The one file a language uses: Traditional Chinese serves Taiwan, Hong Kong
// and Macao, Simplified Chinese the rest of Chinese.
QString translationName(const QLocale& locale)
{
    switch (locale.language()) {
    case QLocale::Japanese:
        return QStringLiteral("ja");
    case QLocale::Chinese: {
        const bool traditional = locale.script() == QLocale::TraditionalChineseScript ||
            locale.territory() == QLocale::Taiwan || locale.territory() == QLocale::HongKong ||
            locale.territory() == QLocale::Macao;
        return traditional ? QStringLiteral("zh_TW") : QStringLiteral("zh_CN");
    }
    default:
        return {};
    }
}

} // namespace

bool installTranslations(QCoreApplication& app, const QLocale& locale)
{
    const QString name = translationName(locale);
    if (name.isEmpty())
        return false;
    auto* own = new QTranslator(&app);
    if (!own->load(QStringLiteral(":/i18n/yomi_") + name + QStringLiteral(".qm"))) {
        delete own;
        return false;
    }
    QCoreApplication::installTranslator(own);

    auto* qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_") + name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    return true;
}

} // namespace yomi::gui
