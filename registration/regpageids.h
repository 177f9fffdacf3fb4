// Control, template, string and picture ids of the wizard's contact and system information
// pages and the printing dialog, shared by their logic, their windows and their templates in
// res/tamrel.zrc.
#pragma once

// Contact information page (template 2403).
inline constexpr int kContactTemplate = 2403;
inline constexpr int kNamePrefix = 2237;
inline constexpr int kNameSuffix = 2238;
inline constexpr int kNameInitial = 2208;
inline constexpr int kNameFirst = 2209;
inline constexpr int kNameLast = 2210;
inline constexpr int kNamePrefixLabel = 2250;
inline constexpr int kNameFirstLabel = 2251;  // first name and initial
inline constexpr int kNameLastLabel = 2252;
inline constexpr int kNameSuffixLabel = 2253;
inline constexpr int kPhoneNumber = 2213;
inline constexpr int kPhoneExtension = 2212;
inline constexpr int kPhoneLabel = 2268;
inline constexpr int kExtensionLabel = 2269;
inline constexpr int kAddrPoBox = 2218;
inline constexpr int kAddrStreet = 2217;
inline constexpr int kAddrCity = 2216;
inline constexpr int kAddrState = 2321;
inline constexpr int kAddrPostalCode = 2214;
inline constexpr int kAddrCountry = 2239;
inline constexpr int kAddrFrench = 2241;
inline constexpr int kAddrPoBoxLabel = 2263;
inline constexpr int kAddrStreetLabel = 2258;
inline constexpr int kAddrCityLabel = 2259;
inline constexpr int kAddrStateLabel = 2260;
inline constexpr int kAddrPostalCodeLabel = 2261;
inline constexpr int kAddrCountryLabel = 2262;
inline constexpr int kContactJobTitle = 2220;
inline constexpr int kContactJobTitleLabel = 2255;
inline constexpr int kContactCompany = 2219;
inline constexpr int kContactCompanyLabel = 2256;
inline constexpr int kContactEmail = 2211;
inline constexpr int kContactConsent = 2334;
inline constexpr int kContactPrivacy = 2320;
inline constexpr int kContactNext = 2226;
inline constexpr int kContactExit = 2242;
inline constexpr int kContactBack = 2207;
inline constexpr int kContactTitle = 2289;

// System information page (template 2100).
inline constexpr int kSystemTemplate = 2100;
inline constexpr int kSystemYes = 2101;
inline constexpr int kSystemNo = 2102;
inline constexpr int kSystemBack = 2103;
inline constexpr int kSystemNext = 2104;
inline constexpr int kSystemExit = 2105;
inline constexpr int kSystemTitle = 2106;
inline constexpr int kSystemManufacturerLabel = 2110;
inline constexpr int kSystemModelLabel = 2111;
inline constexpr int kSystemSerialLabel = 2112;
inline constexpr int kSystemManufacturer = 2114;
inline constexpr int kSystemModel = 2115;
inline constexpr int kSystemSerial = 2116;
inline constexpr int kSystemOs = 2117;

// Printing dialog (template 2408).
inline constexpr int kPrintingTemplate = 2408;
inline constexpr int kPrintingCancel = 2323;

// Other pages the contact page reaches.
inline constexpr int kAdditionalTemplate = 2404;
inline constexpr int kPrivacyTemplate = 2412;

// Strings and pictures.
inline constexpr int kPrefixStrings = 500;  // 500 to 504, numbers 0 to 4
inline constexpr int kPrefixCount = 5;
inline constexpr int kSuffixStrings = 525;  // 525 (a blank: no suffix) to 534, numbers 0 to 9
inline constexpr int kSuffixCount = 10;
inline constexpr int kCountryNames = 1200;  // + the country number
inline constexpr int kJobTitleAsAnswerLabel = 322;
inline constexpr int kBottomBandBitmap = 2452;
inline constexpr int kTopRightBitmap = 2451;

// Messages the pages answer, and the context of the checks on Next.
inline constexpr int kMsgPhoneRequired = 208;
inline constexpr int kMsgEmailWanted = 213;
inline constexpr int kMsgEmailMalformed = 216;
inline constexpr int kMsgBadCharacter = 217;
inline constexpr int kMsgNotAlphabetic = 221;
inline constexpr int kMsgPhoneQuestion = 223;
inline constexpr int kMsgInvalidCharacter = 246;
inline constexpr int kMsgPhoneTooShort = 1515;
inline constexpr int kFinalValidation = 7;
