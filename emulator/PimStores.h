#pragma once
// The phone's phonebook and message stores and the standard AT commands that reach them:
// AT+CSCS, AT+CPBS, AT+CPBR, AT+CPBW, AT+CPMS, AT+CMGF, AT+CMGL, AT+CMGR, AT+CMGD.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "emulator/EmulatorConfig.h"

namespace q7k3::emu {

class PimStores {
public:
    // Takes the config's entries; its faults are read on every command.
    explicit PimStores(EmulatorConfig& config);

    // One command line (head upper-cased, the text after '=' as args). False when it is no
    // command of these stores. Otherwise `lines` holds the answer's lines and `final` its
    // result line; no result at all is a phone that never answers.
    bool Handle(const std::string& head, bool hasArgs, const std::string& args,
                std::vector<std::string>& lines, std::optional<std::string>& final);

    // The entries as they stand (for tests), by store name.
    std::vector<PimContact> Contacts(const std::string& store) const;
    std::vector<PimMessage> Messages(const std::string& store) const;

private:
    struct Book {
        std::map<int, PimContact> Slots;
        int Total = 0;
        int NameLength = 0;
    };
    using Out = std::vector<std::string>;
    // A text of ours (UTF-8) as the set in use sends it, and the other way.
    std::string Encode(const std::string& utf8) const;
    std::optional<std::string> Decode(const std::string& text) const;
    // A quoted argument as the phone reads it under the hex-argument quirk.
    std::optional<std::string> Argument(const std::string& text) const;
    bool HexQuirk() const;
    std::string ContactLine(const PimContact& c) const;
    bool Cut();
    std::vector<std::string> Offered() const;
    bool TextShown(const PimMessage& m) const;
    void TextEntry(const PimMessage& m, std::string& header, std::string& text) const;
    void ListText(const std::string& args, Out& lines, std::optional<std::string>& final);

    void Charset(bool hasArgs, const std::string& args, Out& lines, std::optional<std::string>& final);
    void SelectBook(bool hasArgs, const std::string& args, Out& lines, std::optional<std::string>& final);
    void ReadBook(const std::string& args, Out& lines, std::optional<std::string>& final);
    void WriteBook(const std::string& args, std::optional<std::string>& final);
    void SelectMessages(bool hasArgs, const std::string& args, Out& lines, std::optional<std::string>& final);
    void List(const std::string& args, Out& lines, std::optional<std::string>& final);
    void ReadMessage(const std::string& args, Out& lines, std::optional<std::string>& final);
    void DeleteMessage(const std::string& args, std::optional<std::string>& final);

    EmulatorConfig& m_config;
    std::map<std::string, Book> m_books;
    std::map<std::string, std::map<int, PimMessage>> m_messages;
    std::string m_charset = "GSM";
    std::string m_book = "SM";
    std::string m_readStore = "ME";
    std::string m_writeStore = "ME";
    std::string m_receiveStore = "ME";
    bool m_pduMode = true;
};

}  // namespace q7k3::emu
