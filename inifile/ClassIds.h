// Tavisco - the class identifiers by which the library's objects are created.
#pragma once

namespace tavisco {

// Pass one of these to DllGetClassObject (inifile/ClassFactory.h). Letter case is ignored.
inline constexpr char kClsidINIFile[] = "7F4C9CEB-F526-4301-9162-393DC876C0B0";
inline constexpr char kClsidSections[] = "1B9C27A0-9B5A-47DB-B058-DAFD0B06F8FB";
inline constexpr char kClsidSection[] = "7C2B0E04-FB34-4552-9230-791FA33BACC5";
inline constexpr char kClsidKeys[] = "9ECD4D18-6CA7-4B64-B2B4-81086B77CC62";
inline constexpr char kClsidKey[] = "2EE7B6B5-833E-40E7-9B57-88F22A19765C";

}  // namespace tavisco
