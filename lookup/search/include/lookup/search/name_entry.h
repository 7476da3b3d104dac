// The rule for commune names typed by the user: upper case, and only the capital letters
// A to Z, digits and spaces, which are the characters of the name keys. What a name can hold
// beyond them is written as La Poste writes it: a letter with an accent as its base letter,
// Œ and Æ as OE and AE, an apostrophe or a hyphen as a space.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvel::search {

bool IsAcceptedCharacter(char32_t code);

// How La Poste writes a character of an upper-cased name in a key ("É" as "E", "Œ" as "OE",
// "-" as " "), or nothing when no name holds it and it is rejected.
std::string_view NameKeyFolding(char32_t code);

struct NameEntryCheck {
    std::string cleaned;                // the text as a name key writes it, without leading spaces
    std::vector<std::string> rejected;  // each rejected character once, in order of first position
};

// Checks the whole text, whatever its length.
NameEntryCheck CheckTypedName(std::string_view typed);

// The message that reports one rejected character, for example
// "Le caractere '' É '' n'est pas valide.".
std::string RejectedCharacterMessage(std::string_view character);

// A paste may hold thousands of distinct rejected characters: the first ones are reported one
// by one, the rest in one closing message that gives their number.
inline constexpr std::size_t kRejectedReportedOneByOne = 5;
std::string OtherRejectedCharactersMessage(std::size_t count);

}  // namespace tarvel::search
