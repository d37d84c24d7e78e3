#include "framework/services/Dictionary.h"

#include "framework/Archive.h"
#include "framework/services/FrameworkClasses.h"
#include "framework/services/TextEntry.h"
#include "framework/services/TextGroup.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <string>

using namespace framework;

namespace {

const bool registered = [] {
    RegisterFrameworkClasses();
    return true;
}();

TextEntry* MakeEntry(int32_t number, const char* base, std::initializer_list<const char*> translations) {
    auto* entry = new TextEntry;
    entry->number = number;
    entry->baseText = base;
    for (const char* translation : translations) {
        entry->translations.Add(new String(translation));
    }
    return entry;
}

} // namespace

TEST(Dictionary, EmptyDictionaryResolvesNothing) {
    Dictionary dictionary;
    EXPECT_STREQ(dictionary.Text(47), "");
    EXPECT_EQ(dictionary.Lookup(47, true), nullptr);
    EXPECT_EQ(dictionary.Lookup(-1, true), nullptr);
    EXPECT_STREQ(dictionary.ResolveReference("^264", false), "");
    EXPECT_EQ(dictionary.ResolveReference("^264", true), nullptr);
    EXPECT_EQ(dictionary.ResolveReference("plain", true), nullptr);
    EXPECT_EQ(dictionary.ResolveReference(nullptr, true), nullptr);
    String text("^264...");
    EXPECT_FALSE(dictionary.ExpandReferences(text));
    EXPECT_STREQ(text.CStr(), "^264...") << "every reference stays as written";
}

TEST(Dictionary, AddTextKeepsTheFirstAndGrowsThePoolInSteps) {
    Dictionary dictionary;
    const std::string large(8999, 'x');
    EXPECT_TRUE(dictionary.AddText(large.c_str(), 12));
    EXPECT_EQ(dictionary.PoolCapacity(), 16384) << "9,000 bytes take two steps of 8 KiB";
    EXPECT_EQ(dictionary.PoolUsed(), 9000);
    EXPECT_FALSE(dictionary.AddText("second", 12)) << "the first text for a number wins";
    EXPECT_EQ(dictionary.Text(12), large);
    EXPECT_TRUE(dictionary.AddText("zero", 0));
    EXPECT_STREQ(dictionary.ResolveReference("^", false), "zero") << "no digits resolve number 0";
    EXPECT_STREQ(dictionary.ResolveReference("^12abc", false), large.c_str());
    EXPECT_FALSE(dictionary.AddText("far", 2000000000)) << "absurd numbers are refused, not indexed";
    dictionary.Reset(false, false);
    EXPECT_EQ(dictionary.PoolCapacity(), 0);
    EXPECT_EQ(dictionary.Lookup(12, true), nullptr);
}

TEST(Dictionary, ExpandReferencesReplacesKnownNumbersOnly) {
    Dictionary dictionary;
    String text("left ^12 right");
    EXPECT_FALSE(dictionary.ExpandReferences(text));
    EXPECT_STREQ(text.CStr(), "left ^12 right");

    dictionary.AddText("middle", 12);
    EXPECT_TRUE(dictionary.ExpandReferences(text));
    EXPECT_STREQ(text.CStr(), "left middle right");

    String several("^12/^13/^12^12");
    EXPECT_TRUE(dictionary.ExpandReferences(several));
    EXPECT_STREQ(several.CStr(), "middle/^13/middlemiddle");
    String trailing("end^");
    dictionary.AddText("Z", 0);
    EXPECT_TRUE(dictionary.ExpandReferences(trailing));
    EXPECT_STREQ(trailing.CStr(), "endZ");
    String none("no references");
    EXPECT_FALSE(dictionary.ExpandReferences(none));
    EXPECT_STREQ(none.CStr(), "no references");
}

TEST(Dictionary, AssignMnemonicPicksTheFirstFreeCharacter) {
    uint8_t used[Dictionary::MnemonicSlots] = {};
    String marked("&Open");
    EXPECT_EQ(Dictionary::AssignMnemonic(marked, used), 0);
    EXPECT_STREQ(marked.CStr(), "&Open");
    EXPECT_NE(used['O' - 'A'], 0) << "the marked letter is taken";

    String open("Open");
    EXPECT_EQ(Dictionary::AssignMnemonic(open, used), 'P');
    EXPECT_STREQ(open.CStr(), "O&pen");

    String accelerator("Save\tCtrl+S");
    used['S' - 'A'] = used['A' - 'A'] = used['V' - 'A'] = used['E' - 'A'] = 1;
    EXPECT_EQ(Dictionary::AssignMnemonic(accelerator, used), 'S') << "all taken: the first letter";
    EXPECT_STREQ(accelerator.CStr(), "&Save\tCtrl+S") << "never inside the accelerator text";

    String digits("Port 2");
    EXPECT_EQ(Dictionary::AssignMnemonic(digits, used), 'R');
    String literal("A&&B");
    EXPECT_EQ(Dictionary::AssignMnemonic(literal, used), 'B');
    EXPECT_STREQ(literal.CStr(), "A&&&B");
    String symbols("-- ++");
    EXPECT_EQ(Dictionary::AssignMnemonic(symbols, used), 0);
    EXPECT_STREQ(symbols.CStr(), "-- ++");
    String numbered("1st");
    EXPECT_EQ(Dictionary::AssignMnemonic(numbered, used), '1');
    EXPECT_NE(used[26 + 1], 0);
}

TEST(Dictionary, StoredDataLoadsTheWantedLanguage) {
    testsupport::TempFolder folder;
    const String path((folder / "texts.dat").c_str());
    {
        Dictionary editor;
        editor.SetEditingMode();
        editor.Reset(true, true);
        editor.AddLanguage("French");
        editor.AddLanguage("German");
        editor.Entries().Add(MakeEntry(47, "OK", {"D'accord", "Okay"}));
        editor.Entries().Add(MakeEntry(66, "Yes", {"Oui"}));
        editor.Entries().Add(MakeEntry(48, "Cancel", {"Annuler", ""}));
        Archive archive(path, Archive::DirectionWrite);
        archive.TransferObject(editor);
        ASSERT_EQ(archive.ErrorBits(), 0u);
    }
    Dictionary german;
    german.SetWantedLanguage("GERMAN");
    {
        Archive archive(path, Archive::DirectionRead);
        archive.TransferObject(german);
        EXPECT_EQ(archive.ErrorBits(), 0u);
    }
    EXPECT_EQ(german.LanguageIndex(), 1);
    EXPECT_STREQ(german.Text(47), "Okay");
    EXPECT_STREQ(german.Text(66), "Yes") << "no translation that far: the base text";
    EXPECT_STREQ(german.Text(48), "Cancel") << "an empty translation: the base text";
    EXPECT_EQ(german.Entries().Count(), 0) << "loaded entries are not kept";

    Dictionary unknown;
    unknown.SetWantedLanguage("Klingon");
    Archive archive(path, Archive::DirectionRead);
    archive.TransferObject(unknown);
    EXPECT_EQ(unknown.LanguageIndex(), Dictionary::LanguageNotFound);
    EXPECT_STREQ(unknown.Text(47), "OK");
    archive.Close();

    // A second load keeps the texts of the first.
    Archive again(path, Archive::DirectionRead);
    german.SetWantedLanguage("French");
    again.TransferObject(german);
    EXPECT_STREQ(german.Text(47), "Okay");
}

TEST(Dictionary, FirstLayoutUsesTheBuiltInLanguages) {
    testsupport::TempFolder folder;
    // Older data, built by hand: no marks, no language list and no sections; one entry, no groups.
    auto word = [](uint32_t value) { return std::string(reinterpret_cast<const char*>(&value), 4); };
    auto text = [&](const std::string& value) {
        return word(value.size() + 1) + value + std::string(1, '\0');
    };
    const std::string entryBody = text("Yes") + text("") + text("") + word(66) + word(0) + word(0) + word(0) +
                                  word(2) + text("Oui") + text("Ja");
    const std::string entry = word(TextEntry::ClassIdentifier) + word(entryBody.size()) + entryBody;
    const std::string body = word(1) + entry + word(0);
    const std::string file = word(Dictionary::ClassIdentifier) + word(body.size()) + body;
    folder.Write("old.dat", file);

    Dictionary dictionary;
    dictionary.SetWantedLanguage("german");
    Archive archive(String((folder / "old.dat").c_str()), Archive::DirectionRead);
    EXPECT_EQ(archive.FormatVersion(), 1);
    archive.TransferObject(dictionary);
    EXPECT_EQ(archive.ErrorBits(), 0u);
    EXPECT_EQ(dictionary.LanguageCount(), 6);
    EXPECT_STREQ(dictionary.Language(2)->CStr(), "American");
    EXPECT_EQ(dictionary.LanguageIndex(), 1) << "found case-insensitively";
    // The entry's number and translations lie in later sections, which the old layout cannot
    // reach: the base text arrives under number 0.
    EXPECT_STREQ(dictionary.Text(0), "Yes");
    EXPECT_EQ(dictionary.Lookup(66, true), nullptr);
}

TEST(Dictionary, EditingModeRoundTripsEntriesAndGroups) {
    testsupport::TempFolder folder;
    const String path((folder / "edit.dat").c_str());
    {
        Dictionary editor;
        editor.SetEditingMode();
        editor.Reset(true, true);
        editor.Entries().Add(MakeEntry(47, "OK", {"D'accord"}));
        editor.Entries().Get<TextEntry>(0)->groupNumber = 3;
        editor.Groups().Add(new TextGroup(3, "Buttons", 1234));
        Archive archive(path, Archive::DirectionWrite);
        archive.TransferObject(editor);
    }
    Dictionary reader;
    reader.SetEditingMode();
    Archive archive(path, Archive::DirectionRead);
    archive.TransferObject(reader);
    EXPECT_EQ(archive.ErrorBits(), 0u);
    ASSERT_EQ(reader.Entries().Count(), 1);
    const TextEntry* entry = reader.Entries().Get<TextEntry>(0);
    EXPECT_EQ(entry->number, 47);
    EXPECT_EQ(entry->groupNumber, 3);
    EXPECT_STREQ(entry->TextFor(0), "D'accord");
    EXPECT_STREQ(entry->TextFor(1), "OK");
    ASSERT_EQ(reader.Groups().Count(), 2);
    EXPECT_STREQ(reader.Groups().Get<TextGroup>(0)->name.CStr(), "General");
    EXPECT_EQ(reader.Groups().Get<TextGroup>(1)->timeStamp, 1234u);
    EXPECT_EQ(reader.Lookup(47, true), nullptr) << "editing mode keeps entries, not the pool";
}
