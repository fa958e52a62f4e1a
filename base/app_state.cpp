#include "base/app_state.h"

namespace kestrova {

AppState App;

std::string BuildUsualWords()
{
    // Common French and English words. Accented words are Windows-1252:
    // v\xF4tre = "vôtre", \xEAtes = "êtes", \xE7a = "ça", \xEAtre = "être".
    // "ont" and "we" occur twice each: 137 entries, 135 distinct words.
    std::string words;
    words +=
        "/le/la/les/de/des/un/une/se/te/je/nous/vous/tu/il/ils/elle/elles/sur/dans/pour/et/si/votre/v\xF4tre/ce/ces/";
    words += "par/en/au/aux/du/ne/est/qui/que/donc/pas/sans/leur/leurs/vos/sont/ont/qu/ou/\xEAtes/trop/cette/";
    words += "on/ont/lorsque/mais/autre/autres/tout/tous/quel/quelle/quels/quelles/eu/avec/ci/\xE7"
             "a/comme/";
    words += "sous/seront/notre/alors/\xEAtre/";
    words += "by/in/at/this/that/do/not/is/who/what/so/with/without/their/those/your/yours/are/has/have/too/to/";
    words += "but/other/others/all/if/as/the/it/of/for/or/us/any/into/an/we/than/there/therefore/they/thus/was/we/";
    words += "under/will/then/you/him/them/me/be/about/and/does/even/go/no/off/our/out/per/where/while/why/whose/";
    return words;
}

void ResetAppState()
{
    App = AppState{};
    App.UsualWords = BuildUsualWords();
}

}  // namespace kestrova
