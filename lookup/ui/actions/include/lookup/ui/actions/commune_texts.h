// The texts that the copy and web actions build from the captions of the detail panel:
// the clipboard texts, their confirmations, and the two web addresses.
#pragma once

#include <string>

#include "lookup/data/detail_captions.h"

namespace tarvel::actions {

inline constexpr std::string_view kLineBreak = "\r\n";
inline constexpr std::string_view kDirectoryBase = "https://www.annuaire-des-mairies.com/";
inline constexpr std::string_view kDirectoryDomain = "annuaire-des-mairies.com";
inline constexpr std::string_view kMapsBase = "https://www.google.com";

// Eleven "prefix: caption" lines joined by CR LF, with no line break after the last.
std::string FullCopyText(const data::DetailCaptions& captions);
std::string FullCopyConfirmation(const std::string& copied);
std::string NameCopyConfirmation(const std::string& copied);

// The commune's page on the municipal directory: the base, the first two characters of the
// département caption, "/", and the ordinary-case name lower-cased, without accents, with
// hyphens for spaces.
std::string DirectoryAddress(const std::string& communeMin, const std::string& departement);

// A directions page on the map site whose destination is the coordinates, inserted as shown.
std::string MapAddress(const std::string& latitude, const std::string& longitude);

// For a commune without coordinates: the map site's search for its ordinary-case name and
// the postal code that begins the name caption, percent-encoded.
std::string MapSearchAddress(const std::string& communeMin, const std::string& commune);

}  // namespace tarvel::actions
