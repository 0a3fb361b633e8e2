#pragma once
// The message catalogue: every user-visible text of the program, in Russian (UTF-8).
// Numbered messages are stable identifiers; callers join fragments with names and numbers.

#include <string>
#include <string_view>

namespace q7k3 {

// Numbers of the messages, by the names code refers to them with.
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
    kMsgFilePrefix = 9,        // "Файл " + name + kMsgTooLarge
    kMsgTooLarge = 10,
    kMsgModelNotSupported = 20,
    kMsgPhoneSilent = 21,
    kMsgCannotOpenPort = 22,
    kMsgNoComPort = 29,
    kMsgCachingFiles = 35,      // the scan's quick status
    kMsgInitializing = 36,      // the scan's long status
    kMsgOf = 39,                // " из "
    kMsgUpdatingFolder = 55,    // "Обновление папки " + folder name
    kMsgUpdatingCurrent = 56,   // "Обновление текущей папки"
    kMsgFinishingOperation = 59,
    kMsgTransferCaption = 69,   // "Передача данных... " (+ speed + kMsgSpeedUnit)
    kMsgSpeedUnit = 70,
    kMsgKbOf = 71,              // selection line: " КБ из "
    kMsgKbFiles = 72,           // selection line: " KБ,Файлов: "
    kMsgFree = 73,              // "Свободно "
    kMsgPhoneTotal = 74,        // " KB из 13104 KB"
    kMsgMbOf = 75,
    kMsgMb = 76,
    kMsgTrailingBlank = 77,
    kMsgCachingAborted = 78,
    kMsgBadAnswer = 79,       // the phone sent an answer that cannot be read
    kMsgSettingsNotSaved = 80,  // the settings file cannot be written
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
