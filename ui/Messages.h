#pragma once
// The message catalogue: every user-visible text of the program, in Russian (UTF-8).
// Numbered messages are stable identifiers; callers join fragments with names and numbers.

#include <string>
#include <string_view>

namespace q7k3 {

// Numbers of messages that code refers to by name (the rest are used by number).
enum MessageId : int {
    kMsgTimeout = 0,
    kMsgCannotOpenFile = 1,
    kMsgChecksum = 2,
    kMsgNoJar = 3,
    kMsgFileNotFound = 4,
    kMsgMemoryFull = 5,
    kMsgErrorCaption = 6,
    kMsgNotPatched = 7,
    kMsgAttentionCaption = 8,
    kMsgModelNotSupported = 20,
    kMsgPhoneSilent = 21,
    kMsgCannotOpenPort = 22,
    kMsgNoComPort = 29,
    kMsgBadAnswer = 79,       // the phone sent an answer that cannot be read
    kMsgSettingsNotSaved = 80,  // the settings file cannot be written
    kMsgMelodyNotRecognised = 13,  // "Файл мелодии не опознан"
    kMsgMelodyUnsupported = 130,  // a SMAF melody in a format the player does not play
    kMsgNoSoundFont = 131,        // no General MIDI soundfont to render melodies with
    kMsgMelodyCrc = 132,          // a melody whose CRC does not match (a warning)
};

// The text of message `number`. An unknown number is a programming error (asserts).
const std::string& Msg(int number);
int MessageCount();

// The catalogue caption of a control (or of the window itself when `control` is empty),
// by window class and object name: Caption("TProcessForm", "AbortBtn") is "Прервать".
// "Name.hint" is a control's tool tip and "Name.N" item N of a drop-down or column N of a
// list view. Returns an empty string when the catalogue holds no caption for that control.
const std::string& Caption(std::string_view window, std::string_view control);
// The number of consecutive items "control.0", "control.1", ... the catalogue holds (the
// entries of a drop-down, the columns of a list view).
int CaptionItemCount(std::string_view window, std::string_view control);

}  // namespace q7k3
