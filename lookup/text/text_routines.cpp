// The string routines that build web addresses from commune names and strip rejected
// characters from typed names.
#include "lookup/text/text_routines.h"

#include <algorithm>

#include "lookup/text/utf8.h"

namespace tarvel::text {
namespace {

char32_t WithoutAccent(char32_t c) {
    switch (c) {
        case U'à':
        case U'ä':
        case U'â':
            return U'a';
        case U'ç':
            return U'c';
        case U'é':
        case U'è':
        case U'ë':
        case U'ê':
            return U'e';
        case U'ï':
        case U'î':
            return U'i';
        case U'ö':
        case U'ô':
            return U'o';
        case U'ù':
        case U'ü':
        case U'û':
            return U'u';
        case U'ÿ':
            return U'y';
        default:
            return c;
    }
}

}  // namespace

std::string SubAccents(std::string_view aller, int nbLet) {
    const std::u32string letters = DecodeUtf8(aller);
    std::string result;
    if (letters.empty()) return result;
    for (int i = 0; i < nbLet; ++i) {
        const std::size_t at = std::min<std::size_t>(i, letters.size() - 1);
        AppendUtf8(WithoutAccent(letters[at]), result);
    }
    return result;
}

std::string ChangeEspaceTiret(std::string_view laChaine, std::string_view oldCar,
                              std::string_view newCar) {
    if (oldCar.empty() || laChaine.find_first_not_of(' ') == std::string_view::npos)
        return std::string(laChaine);
    std::string result;
    result.reserve(laChaine.size());
    std::size_t from = 0;
    for (std::size_t at = laChaine.find(oldCar); at != std::string_view::npos;
         at = laChaine.find(oldCar, from)) {
        result.append(laChaine.substr(from, at - from)).append(newCar);
        from = at + oldCar.size();
    }
    return result.append(laChaine.substr(from));
}

}  // namespace tarvel::text
