#include "i18n/language_names.h"

#include <cstdio>

namespace lumora::i18n {

namespace {

struct Language {
  int id;
  const char* name;
  int codePage;
};

constexpr Language kLanguages[] = {
    {1025, "Arabic (Saudi Arabia)", 1256}, {1026, "Bulgarian", 1251},        {1027, "Catalan", 1252},
    {1028, "Chinese (Taiwan)", 950},       {1029, "Czech", 1250},            {1030, "Danish", 1252},
    {1031, "German (Germany)", 1252},      {1032, "Greek", 1253},            {1033, "English (United States)", 1252},
    {1034, "Spanish (Traditional Sort)", 1252}, {1035, "Finnish", 1252},     {1036, "French (France)", 1252},
    {1037, "Hebrew", 1255},                {1038, "Hungarian", 1250},        {1039, "Icelandic", 1252},
    {1040, "Italian (Italy)", 1252},       {1041, "Japanese", 932},          {1042, "Korean", 949},
    {1043, "Dutch (Netherlands)", 1252},   {1044, "Norwegian (Bokmal)", 1252}, {1045, "Polish", 1250},
    {1046, "Portuguese (Brazil)", 1252},   {1048, "Romanian", 1250},         {1049, "Russian", 1251},
    {1050, "Croatian", 1250},              {1051, "Slovak", 1250},           {1052, "Albanian", 1250},
    {1053, "Swedish", 1252},               {1054, "Thai", 874},              {1055, "Turkish", 1254},
    {1057, "Indonesian", 1252},            {1058, "Ukrainian", 1251},        {1059, "Belarusian", 1251},
    {1060, "Slovenian", 1250},             {1061, "Estonian", 1257},         {1062, "Latvian", 1257},
    {1063, "Lithuanian", 1257},            {1065, "Persian", 1256},          {1066, "Vietnamese", 1258},
    {1069, "Basque", 1252},                {1071, "Macedonian", 1251},       {1087, "Kazakh", 1251},
    {1091, "Uzbek (Latin)", 1254},         {2052, "Chinese (PRC)", 936},     {2055, "German (Switzerland)", 1252},
    {2057, "English (United Kingdom)", 1252}, {2058, "Spanish (Mexico)", 1252}, {2060, "French (Belgium)", 1252},
    {2064, "Italian (Switzerland)", 1252}, {2067, "Dutch (Belgium)", 1252},  {2070, "Portuguese (Portugal)", 1252},
    {2074, "Serbian (Latin)", 1250},       {3076, "Chinese (Hong Kong)", 950}, {3079, "German (Austria)", 1252},
    {3081, "English (Australia)", 1252},   {3082, "Spanish (International Sort)", 1252},
    {3084, "French (Canada)", 1252},       {3098, "Serbian (Cyrillic)", 1251}, {4105, "English (Canada)", 1252},
};

const Language* find(int id) {
  for (const Language& l : kLanguages) {
    if (l.id == id) return &l;
  }
  return nullptr;
}

}  // namespace

std::string languageName(int languageId) {
  if (const Language* l = find(languageId)) return l->name;
  char text[32];
  std::snprintf(text, sizeof text, "Language 0x%04X", static_cast<unsigned>(languageId) & 0xFFFF);
  return text;
}

int languageCodePage(int languageId) {
  const Language* l = find(languageId);
  return l != nullptr ? l->codePage : 1252;
}

}  // namespace lumora::i18n
