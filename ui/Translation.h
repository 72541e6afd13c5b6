// The program's texts in the user's language, through Qt's translations.
#pragma once

#include <QString>

class QCoreApplication;

namespace tangrel {

// Loads the English texts unless the messages locale is Chinese. False when
// they were wanted but could not be loaded (the texts then stand as they are).
bool InstallTranslation(QCoreApplication& app);

// One of the program's own texts in the user's language.
QString Translated(const char* text);

}  // namespace tangrel
