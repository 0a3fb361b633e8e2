#pragma once
// The messages as readable text, one file per conversation (per address), and the raw PDUs
// as a plain file a later decoder can read back.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/Failure.h"
#include "pim/MessageJoin.h"

namespace q7k3::pim {

// A file name for the conversation with `address`: what no file system refuses (no / \ : *
// ? " < > |, no control character, no leading dot), ending in ".txt".
std::string ConversationFileName(const std::string& address);

// File name -> text: a line per message, "date  >>  text" for one the owner sent, "<<" for
// one received, in time order (messages without a time after, as stored); a text's further
// lines indented under its first.
std::map<std::string, std::string> Conversations(const std::vector<SmsMessage>& messages);

// The raw PDUs: a line per PDU, "store index stat hex", after a comment line (and one that
// counts the messages read in text mode, which have none).
std::string WriteRawPdus(const std::vector<StoredPdu>& pdus);
// Reads them back; a line that is none fails with its number (kErrLocalData).
Expected<std::vector<StoredPdu>> ReadRawPdus(std::string_view file);

}  // namespace q7k3::pim
