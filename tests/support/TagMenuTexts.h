#pragma once

// The tag menu's items as each face shows them, in the order of the tags.
inline const wchar_t* const kJapaneseTagTexts[] = {
    L"\\y\t現在の年(2桁)", L"\\e\t現在の年(4桁)", L"\\m\t現在の月(2桁)", L"\\d\t現在の日(2桁)",
    L"\\h\t現在の時(2桁)", L"\\i\t現在の分(2桁)", L"\\s\t現在の秒(2桁)", L"\\f\t以降のタグはファイルの更新日時",
};
inline const wchar_t* const kEnglishTagTexts[] = {
    L"\\y\tYear, 2 digits", L"\\e\tYear, 4 digits", L"\\m\tMonth", L"\\d\tDay", L"\\h\tHour", L"\\i\tMinute",
    L"\\s\tSecond", L"\\f\tThe item's own date for the tags after it",
};
