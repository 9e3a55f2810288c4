// Languages: locale mapping, text bases, LoadText, and what each translation touches.
#include <gtest/gtest.h>

#include "app/Language.h"
#include "app/StringTable.h"
#include "app/Strings.h"

namespace calvix {
namespace {

TEST(LanguageTest, LocalesMapToIdentifiersAndIdentifiersToBases) {
    struct Case {
        const char* locale;
        std::uint16_t id;
        int base;
        const char* suffix;
    };
    for (const Case& c : {Case{"de_AT.UTF-8", 0x0C07, 0, "_de"}, Case{"fr_FR", 0x040C, 20000, "_fr"},
                          Case{"en_US.UTF-8", 0x0409, 10000, "_en"}, Case{"nl_NL.UTF-8", 0x0413, 10000, "_en"},
                          Case{"C", 0x0409, 10000, "_en"}, Case{"de_DE@euro", 0x0407, 0, "_de"}}) {
        SCOPED_TRACE(c.locale);
        EXPECT_EQ(LanguageIdFromLocale(c.locale), c.id);
        EXPECT_EQ(TextBaseForLanguage(c.id), c.base);
        EXPECT_EQ(HelpSuffixForLanguage(c.id), c.suffix);
    }
    EXPECT_EQ(SelectorTextForLanguage(9), "English");
    EXPECT_EQ(SelectorTextForLanguage(0x0C07), "Deutsch");
    EXPECT_EQ(SelectorTextForLanguage(0x040C), "Français");
}

TEST(LanguageTest, EveryTextExistsInAllThreeLanguagesAndFitsTheBuffer) {
    ASSERT_EQ(StringTableEntries().size(), 142u);  // 51 messages/wizard, 38 Quality page, 21 main window, 32 splash
    for (const auto& e : StringTableEntries()) {
        for (int base : {0, 10000, 20000}) {
            SetCurrentTextBase(base);
            EXPECT_FALSE(LoadText(e.messageId).empty()) << e.messageId << "@" << base;
            EXPECT_LE(LoadText(e.messageId).size(), 254u);
        }
    }
    SetCurrentTextBase(0);
    EXPECT_EQ(LoadText(999), "");
    EXPECT_EQ(LoadText(14).back(), '.');  // German ends without a line feed
    SetCurrentTextBase(10000);
    EXPECT_EQ(LoadText(14).back(), '\n');
    EXPECT_EQ(LoadText(12), "Error reading IT8 reference file! \nPlease consult Zelmar GmbH and provide a copy of this file!\n");
    SetCurrentTextBase(20000);
    EXPECT_EQ(LoadText(14).back(), '\n');
    EXPECT_EQ(LoadText(1003), "Suivant >");
}

TEST(LanguageTest, TranslateAllTouchesLabelsButNotButtons) {
    TForm form("wizard");
    FormComponent label{1010, ComponentKind::Label, ""};
    FormComponent button{1003, ComponentKind::Button, ""};
    FormComponent untagged{0, ComponentKind::Label, "designed"};
    form.Add(label);
    form.Add(button);
    form.Add(untagged);
    TranslateForm(0, form);
    EXPECT_EQ(label.caption, " Start");
    EXPECT_EQ(button.caption, "Weiter >");
    RegisterForm(form);
    TranslateAll(20000);
    UnregisterForm(form);
    EXPECT_EQ(label.caption, " Démarrer");
    EXPECT_EQ(button.caption, "Weiter >");
    EXPECT_EQ(untagged.caption, "designed");
}

TEST(LanguageTest, AppStringsFollowALanguageChange) {
    TAppStrings strings(0);
    EXPECT_EQ(strings.MBoxTitleError.caption, "Fehler");
    TranslateAll(10000);
    EXPECT_EQ(strings.MBoxTitleError.caption, "Error");
    EXPECT_EQ(strings.MsgErrParsingIT8.caption,
              "Error reading IT8 reference file! \nPlease consult Zelmar GmbH and provide a copy of this file!\n");
}

}  // namespace
}  // namespace calvix
