#pragma once
// The phone's Java suite registry: "suites.utf" (the list of installed suites) and
// "suitesName.utf" in the java folder. After MIDlets were copied there, the compile
// command rebuilds both files from the folder's .jar names, its "_s" entries and the
// still valid records of the old list.
//
// Every operation returns its success or its Failure (kErrText with its own text where the
// reason is ours).

#include <string>
#include <string_view>
#include <vector>

#include "phonefs/PhoneFs.h"

namespace q7k3 {

// The registry file as the phone reads it: records of 0x00, a length byte and the text.
// A record must fit its length byte and the whole list the phone's 4100-byte buffer.
inline constexpr size_t kSuiteRecordMax = 255;
inline constexpr size_t kSuiteRegistryMax = 4100;
// What "suitesName.utf" always holds: 11 bytes, no length, no terminator.
inline constexpr std::string_view kSuitesNameText = "Orvik Lanto";

// The records of an old "suites.utf" (at most its first 8192 bytes; nothing when it has
// 2 bytes or fewer). The length bytes are not trusted: a zero byte ends a record and the
// byte after it is skipped, so only the texts are taken.
std::vector<std::string> ParseSuiteRecords(std::string_view bytes);

// Encodes the records. Empty when there is nothing to encode. When a record or the whole
// would not fit the format, returns false and names the fault in `error`.
bool EncodeSuiteRecords(const std::vector<std::string>& records, std::string& out,
                        std::string& error);

// Re-reads the java folder (the root when there is none) with its zero-size entries,
// collects the records, erases the old registry files and writes the new ones, then lists
// the folder again. Reports progress on the dialog's quick line and first bar. When
// writing the new files fails, the old "suites.utf" is written back and the error says
// what the phone holds now. `scratch` is the local file every transfer goes through.
Status RebuildSuiteRegistry(PhoneFs& fs, const std::string& scratch);
Status RebuildSuiteRegistry(PhoneFs& fs);  // through the program's scratch file

// The registry files the last rebuild erased and could not write back because the line
// died (the old "suites.utf" when there was one, the fixed "suitesName.utf"): their names
// in the java folder and their bytes, for the caller to keep until the next connection.
// Empty after a rebuild that ended otherwise.
struct ErasedFile {
    std::string Name;
    std::string Bytes;
};
const std::vector<ErasedFile>& RegistryFilesLeftErased();

// True when the compile command applies: the phone's file list has been read and the
// phone's folders are not addressed by path (PIMS mode).
bool CompileJavaApplies(PhoneFs& fs);

// The compile command (F7) without its window bracket: the progress dialog's lines and
// bars, the rebuild, the bars reset on success. When it does not apply it does nothing
// and succeeds. A failure the caller reports through the session guard; on success it
// shows the java folder again when that is the current one (the rebuild has already
// re-read it).
Status RebuildJavaRegistry(PhoneFs& fs);

}  // namespace q7k3
