#include "texts/UiTexts.h"

#include <array>
#include <cassert>

#include "texts/SystemCodePage.h"
#include "texts/WebAddresses.h"

namespace brisklow {

// Windows-1252 bytes are written as escapes so that the bytes never depend on the source encoding:
// \xE1 a-acute, \xE3 a-tilde, \xE7 c-cedilla, \xF3 o-acute.
const char* const UiTexts[kUiTextCount] = {
    /* 0 */ "Brisklow",
    /* 1 */ "Mais detalhes...",
    /* 2 */
    "Veja uma descri\xE7\xE3o detalhada e o grau de seguran\xE7"
    "a deste processo\r\n"
    "com nosso programa <a href=\"" BRISKLOW_MAKER_HOME_PAGE
    "\">Velmarch</a>.\r\n"
    "Experimente a <A>Vers\xE3o Gratuita</A>!",
    /* 3 */ "Computador",
    /* 4 */ "&Usu\xE1rio",
    /* 5 */ "&Senha",
    /* 6 */ "Sobre",
    /* 7 */ "Google",
    /* 8 */ "Processo",
    /* 9 */ "Pasta",
    /* 10 */ "ID do Processs",
    /* 11 */ "PID do processo pai",
    /* 12 */ "Mem\xF3ria",
    /* 13 */ "Tempo de CPU",
    /* 14 */ "Identificadores",
    /* 15 */ "Sess\xE3o",
    /* 16 */ "Threads",
    /* 17 */ "Prioridade",
    /* 18 */ "&Verifique agora",
    /* 19 */ "Processos",
    /* 20 */ "%d processos",
    /* 21 */ "erro WMI",
    /* 22 */ "erro WMI",
    /* 23 */ "Dica: Procure online por \"WMI %s\" para corrigir este erro.",
    /* 24 */ "Iniciar...",
    /* 25 */ "Conectando em ",
    /* 26 */ "Escolha um computador",
    /* 27 */ "Selecione um processo.",
};

namespace {

// The table in the system's code page, converted once, on the first text asked for.
const std::array<std::string, kUiTextCount>& ShownTexts() {
    static const std::array<std::string, kUiTextCount> shown = [] {
        std::array<std::string, kUiTextCount> texts;
        for (size_t slot = 0; slot < texts.size(); ++slot) {
            texts[slot] = Windows1252ToSystemCodePage(UiTexts[slot]);
        }
        return texts;
    }();
    return shown;
}

}  // namespace

std::string UiText(int slot) {
    assert(slot >= 0 && slot < kUiTextCount);
    return ShownTexts()[static_cast<size_t>(slot)];
}

}  // namespace brisklow
