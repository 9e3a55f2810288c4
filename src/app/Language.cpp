// Translating forms and mapping locales and language identifiers.
#include "app/Language.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "app/StringTable.h"

namespace calvix {
namespace {

std::vector<TForm*>& Forms() {
    static std::vector<TForm*> forms;
    return forms;
}

}  // namespace

void RegisterForm(TForm& form) {
    if (std::find(Forms().begin(), Forms().end(), &form) == Forms().end()) Forms().push_back(&form);
}

void UnregisterForm(TForm& form) {
    auto& forms = Forms();
    forms.erase(std::remove(forms.begin(), forms.end(), &form), forms.end());
}

void TranslateForm(int textBase, TForm& form) {
    SetCurrentTextBase(textBase);
    for (FormComponent* c : form.Components()) {
        if (c->tag == 0) continue;
        switch (c->kind) {
            case ComponentKind::Label:
            case ComponentKind::Button:
            case ComponentKind::Window:
            case ComponentKind::MenuItem:
                c->caption = LoadText(c->tag);
                break;
            default:
                break;
        }
    }
    if (form.changed) form.changed();
}

void TranslateAll(int textBase) {
    SetCurrentTextBase(textBase);
    for (TForm* form : Forms()) {
        bool touched = false;
        for (FormComponent* c : form->Components()) {
            if (c->tag == 0) continue;
            if (c->kind == ComponentKind::Label || c->kind == ComponentKind::QuitAction) {
                c->caption = LoadText(c->tag);
                touched = true;
            }
        }
        if (touched && form->changed) form->changed();
    }
}

std::uint16_t LanguageIdFromLocale(const std::string& locale) {
    // language_TERRITORY[.codeset][@modifier]; only the part before '.' or '@' matters.
    const std::string name = locale.substr(0, locale.find_first_of(".@"));
    static const std::map<std::string, std::uint16_t> exact = {
        {"de_DE", 0x0407}, {"de_AT", 0x0C07}, {"de_CH", 0x0807}, {"de_LU", 0x1007}, {"de_LI", 0x1407},
        {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409},
        {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C},
        {"fr_CH", 0x100C}, {"fr_LU", 0x140C}, {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"it_IT", 0x0410},
        {"es_ES", 0x0C0A}};
    if (auto it = exact.find(name); it != exact.end()) return it->second;
    static const std::map<std::string, std::uint16_t> primary = {
        {"de", 0x0407}, {"en", 0x0409}, {"fr", 0x040C}, {"nl", 0x0413}, {"it", 0x0410}, {"es", 0x0C0A}};
    if (auto it = primary.find(name.substr(0, name.find('_'))); it != primary.end()) return it->second;
    return 0x0409;
}

std::uint16_t SystemDefaultLanguage() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) return LanguageIdFromLocale(value);
    }
    return 0x0409;
}

int TextBaseForLanguage(std::int32_t language) {
    switch (language & 0x3FF) {
        case 7: return TextBaseGerman;
        case 12: return TextBaseFrench;
        default: return TextBaseEnglish;
    }
}

std::string HelpSuffixForLanguage(std::int32_t language) {
    switch (language & 0x3FF) {
        case 7: return "_de";
        case 12: return "_fr";
        default: return "_en";
    }
}

std::string SelectorTextForLanguage(std::int32_t language) {
    switch (language & 0x3FF) {
        case 7: return "Deutsch";
        case 12: return "Français";
        default: return "English";
    }
}

}  // namespace calvix
