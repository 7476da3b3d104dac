// The string routines that build web addresses from commune names and strip rejected
// characters from typed names.
#pragma once

#include <string>
#include <string_view>

namespace tarvel::text {

// The first nbLet characters of aller with the accents of lower-case French letters
// removed ("é" becomes "e"); capitals and "œ" pass unchanged. When nbLet exceeds the
// length of aller, its last character repeats ("abc", 5 gives "abccc"). Any length works.
std::string SubAccents(std::string_view aller, int nbLet);

// laChaine with every occurrence of oldCar replaced by newCar, scanning from the left
// without overlaps. A text that is empty or only spaces, or an empty oldCar, leaves the
// text unchanged.
std::string ChangeEspaceTiret(std::string_view laChaine, std::string_view oldCar,
                              std::string_view newCar);

// The same routine under the name the name-entry check uses to delete a character.
inline std::string sChangeCaractere(std::string_view laChaine, std::string_view oldCar,
                                    std::string_view newCar) {
    return ChangeEspaceTiret(laChaine, oldCar, newCar);
}

}  // namespace tarvel::text
