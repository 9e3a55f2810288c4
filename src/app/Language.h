// Languages: translating forms by their components' tags, the language selector and its
// handler, the system default language from the locale, and the help file per language.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/FormModel.h"

namespace calvix {

class TForm;

// Gives every tagged label, button, window component and menu item its text.
void TranslateForm(int textBase, TForm& form);
// Re-translates labels and quit actions of every registered form (buttons and menu items stay).
void TranslateAll(int textBase);

// Forms register while they exist so that TranslateAll reaches them.
void RegisterForm(TForm& form);
void UnregisterForm(TForm& form);

// Language identifier of a locale name such as "de_AT.UTF-8" (0x0409 when unknown or "C").
std::uint16_t LanguageIdFromLocale(const std::string& locale);
// The system default language from LC_ALL, LC_MESSAGES and LANG, in that order.
std::uint16_t SystemDefaultLanguage();

// Selector entries in their order.
// Each language in its own name; "French", the name of earlier versions, is still understood.
inline const std::vector<std::string> LanguageSelectorItems = {"Auto Selection", "Deutsch", "English", "Français"};

// Text base and help-file suffix of a language identifier (its primary language, low 10 bits).
int TextBaseForLanguage(std::int32_t language);
std::string HelpSuffixForLanguage(std::int32_t language);
// The selector entry that shows a language identifier.
std::string SelectorTextForLanguage(std::int32_t language);

}  // namespace calvix
