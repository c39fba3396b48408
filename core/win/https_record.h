// Whether HTTPS has ever answered a silent correction on this computer. Once it has, a silent
// correction from time that came over plain HTTP alone, which anyone on the path can forge, is
// held to a bound. Kept in a key of its own that only SYSTEM and administrators can change.
#pragma once

// Under HKEY_LOCAL_MACHINE, in the 32-bit view the program itself has.
inline constexpr wchar_t kHttpsRecordKeyPath[] = L"SOFTWARE\\Quelan_Tikora";
inline constexpr wchar_t kHttpsRecordValueName[] = L"HttpsAnswered";

// Records that a source answered over HTTPS; the key is made with SYSTEM and Administrators in
// full control and Users reading. False when it could not be written.
bool RecordHttpsAnswered();

// Whether the record is there. A key that exists but cannot be read counts as recorded: the
// bound is the safe side.
bool HttpsHasAnswered();

// Removes the key with everything in it; true when it is gone (or was never there).
bool RemoveHttpsRecord();
