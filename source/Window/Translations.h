// The window's translations, built into the application.
#pragma once

class QCoreApplication;
class QLocale;

namespace yomi::gui {

// Installs into the application the window's translation for a locale
// (Japanese, Simplified or Traditional Chinese), and Qt's own translation of
// its dialogs where the system has one. Returns whether the window's own was
// found; English needs none, and any other language stays English. The
// translators live as long as the application.
bool installTranslations(QCoreApplication& app, const QLocale& locale);

} // namespace yomi::gui
