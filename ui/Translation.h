// SPDX-License-Identifier: GPL-3.0-or-later
// The program's texts in the user's language, through Qt's translations.
#pragma once

#include <QString>

class QCoreApplication;

namespace tangrel {

// Loads the program's texts for the messages locale: Chinese (with Qt's own
// dialog texts in Chinese) under a Chinese locale, else English. Sets the
// session's text lookup. False when the program's translation could not be
// loaded (the texts then stand as they are written).
bool InstallTranslation(QCoreApplication& app);

// Takes back what InstallTranslation installed: the texts stand as written.
void RemoveTranslation(QCoreApplication& app);

// One of the program's own texts in the user's language.
QString Translated(const char* text);

}  // namespace tangrel
