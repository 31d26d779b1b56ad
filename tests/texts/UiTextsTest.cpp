#include <gtest/gtest.h>

#include <string>

#include "texts/UiTexts.h"

namespace brisklow {
namespace {

// Windows-1252 agrees with UTF-16 for every character these texts use, so the expected bytes are
// written here as UTF-16 and narrowed: an independent spelling of the same texts.
std::string Cp1252(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text) {
        EXPECT_LT(c, 0x100) << "not in Windows-1252's Latin-1 range";
        bytes.push_back(static_cast<char>(c));
    }
    return bytes;
}

TEST(UiTextsTest, EverySlotHoldsItsExactBytes) {
    const std::u16string expected[kUiTextCount] = {
        u"Brisklow",
        u"Mais detalhes...",
        u"Veja uma descri\u00e7\u00e3o detalhada e o grau de seguran\u00e7a deste processo\r\n"
        u"com nosso programa <a href=\"https://www.velmarch.example/\">Velmarch</a>.\r\n"
        u"Experimente a <A>Vers\u00e3o Gratuita</A>!",
        u"Computador",
        u"&Usu\u00e1rio",
        u"&Senha",
        u"Sobre",
        u"Google",
        u"Processo",
        u"Pasta",
        u"ID do Processs",
        u"PID do processo pai",
        u"Mem\u00f3ria",
        u"Tempo de CPU",
        u"Identificadores",
        u"Sess\u00e3o",
        u"Threads",
        u"Prioridade",
        u"&Verifique agora",
        u"Processos",
        u"%d processos",
        u"erro WMI",
        u"erro WMI",
        u"Dica: Procure online por \"WMI %s\" para corrigir este erro.",
        u"Iniciar...",
        u"Conectando em ",
        u"Escolha um computador",
        u"Selecione um processo.",
    };
    for (int slot = 0; slot < kUiTextCount; ++slot) {
        EXPECT_EQ(UiText(slot), Cp1252(expected[slot])) << "slot " << slot;
    }
}

TEST(UiTextsTest, AccentedLettersAreSingleWindows1252Bytes) {
    EXPECT_EQ(UiText(4), std::string("&Usu") + '\xE1' + "rio");
    EXPECT_EQ(UiText(4).size(), 8u);
    EXPECT_EQ(UiText(12).size(), 7u);
}

}  // namespace
}  // namespace brisklow
