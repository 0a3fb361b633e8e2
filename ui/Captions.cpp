#include <map>
#include <string>
#include <utility>

#include "ui/Messages.h"

namespace q7k3 {
namespace {

// Keys, as the windows look them up:
//   ""               the window's own caption
//   "Name"           the text of the control with that object name
//   "Name.hint"      its tool tip
//   "Name.N"         item N of a drop-down, or column N of a list view
// Labels that the windows do not otherwise name carry the names of their design.
struct Row {
    const char* window;
    const char* control;
    const char* text;
};

constexpr Row kRows[] = {
    // Main window.
    {"TForm1", "", "Q7K3FileManager v0.53+"},
    {"TForm1", "FileMenu", "Файл"},
    {"TForm1", "Settings1", "Настройки"},
    {"TForm1", "Exit1", "Выход"},
    {"TForm1", "Help1", "Помощь"},
    {"TForm1", "Help2", "Помощь"},
    {"TForm1", "About1", "О программе"},
    {"TForm1", "About1.hint", "Информация о программе"},
    {"TForm1", "AddCurrentDir1", "Добавить текущую папку"},
    {"TForm1", "Setup1", "Настроить"},
    {"TForm1", "ListPhone.0", "Имя"},
    {"TForm1", "ListPhone.1", "Размер"},
    {"TForm1", "ViewBtn", "F3 Просмотр"},
    {"TForm1", "RfreshBtn", "F4 Обновить"},
    {"TForm1", "CopyBtn", "F5 Копия"},
    {"TForm1", "Rename", "F6 Переимен"},
    {"TForm1", "CompileJavaBtn", "F7 Compile Java"},
    {"TForm1", "CompileJavaBtn.hint", "Компилировать JAVA"},
    {"TForm1", "Delete1", "F8 Удалить"},
    {"TForm1", "PathComp", "Root"},
    {"TForm1", "PathPhone", "\\Root"},
    {"TForm1", "DiskStatus", "Свободно 0МБ из 0МБ"},
    {"TForm1", "StatusComp", "0 KB of 0 KB, Files: 0 of 0"},
    // The local pane names the kind of its folder rows itself (Qt has no Russian words for them).
    {"TForm1", "Source.folderType", "Папка"},
    {"TForm1", "Source.driveType", "Диск"},
    {"TForm1", "PhoneDiskStatus", "Свободно 0КБ из 0КБ"},
    {"TForm1", "StatusPhone", "0 KB of 0 KB, Files: 0 of 0"},
    {"TForm1", "FavoritesBtn", "F"},

    // Progress dialog.
    {"TProcessForm", "", "Передача данных..."},
    {"TProcessForm", "AbortBtn", "Прервать"},

    // The file-exists question.
    {"TFileExistForm", "", "Файл существует"},
    {"TFileExistForm", "OndNameCapt", "Старое имя:"},
    {"TFileExistForm", "NewNameCapt", "Новое имя:"},
    {"TFileExistForm", "FexOKBtn", "OK"},
    {"TFileExistForm", "FexOverwriteBtn", "Перезапиписать"},
    {"TFileExistForm", "FexOverwriteAllBtn", "Перезаписать все"},
    {"TFileExistForm", "FexCancel", "Отмена"},
    {"TFileExistForm", "FexSkipBtn", "Пропустить"},
    {"TFileExistForm", "FexSkipAllBtn", "Пропустить все"},

    // Rename dialog (also the favourites' one-line input box).
    {"TRenameForm", "", "Переименовать"},
    {"TRenameForm", "RenOK", "OK"},
    {"TRenameForm", "RenCancel", "Отмена"},

    // Settings dialog.
    {"TSettingsForm", "", "Настройки"},
    {"TSettingsForm", "TabSheet1", "Соединение"},
    {"TSettingsForm", "TabSheet2", "Дополнительно"},
    {"TSettingsForm", "Label1", "Выберите ком порт"},
    {"TSettingsForm", "Label3", "Режим:"},
    {"TSettingsForm", "Label2", "Скорость:"},
    {"TSettingsForm", "Label4", "Интерфейс:"},
    {"TSettingsForm", "Label5", "MEL<->MMF"},
    {"TSettingsForm", "Label17", "Задержки"},
    {"TSettingsForm", "Label19", "Скрытые файлы"},
    {"TSettingsForm", "Label9", "Настройки порта:"},
    {"TSettingsForm", "Label10", "EnableDTROnOpen"},
    {"TSettingsForm", "Label11", "HardwareFlow"},
    {"TSettingsForm", "Label12", "SoftwareFlow"},
    {"TSettingsForm", "Label13", "CheckLineStatus"},
    {"TSettingsForm", "Mode.0", "Normal"},
    {"TSettingsForm", "Mode.1", "PRO"},
    {"TSettingsForm", "Mode.2", "PIMS"},
    {"TSettingsForm", "SelSpeed.0", "115200"},
    {"TSettingsForm", "SelSpeed.1", "128000"},
    {"TSettingsForm", "SelSpeed.2", "230400"},
    {"TSettingsForm", "IRDAReqBox.0", "ИК-ПОРТ"},
    {"TSettingsForm", "IRDAReqBox.1", "Кабель"},
    {"TSettingsForm", "MelConvertionBox.0", "Выключено"},
    {"TSettingsForm", "MelConvertionBox.1", "Включено"},
    {"TSettingsForm", "SleepTimeBox.0", "Быстро"},
    {"TSettingsForm", "SleepTimeBox.1", "Средне"},
    {"TSettingsForm", "SleepTimeBox.2", "Медленно"},
    {"TSettingsForm", "HiddenFilesBox.0", "Скрыть"},
    {"TSettingsForm", "HiddenFilesBox.1", "Показать"},
    {"TSettingsForm", "PortSettingsBox.0", "Системные"},
    {"TSettingsForm", "PortSettingsBox.1", "Вручную"},
    {"TSettingsForm", "EnableDTROnOpenBox.0", "Disabled"},
    {"TSettingsForm", "EnableDTROnOpenBox.1", "Enabled"},
    {"TSettingsForm", "HardwareFlowBox.0", "Disabled"},
    {"TSettingsForm", "HardwareFlowBox.1", "NONE_RTSOn"},
    {"TSettingsForm", "HardwareFlowBox.2", "Enabled"},
    {"TSettingsForm", "SoftwareFlowBox.0", "Disable"},
    {"TSettingsForm", "SoftwareFlowBox.1", "Enable"},
    {"TSettingsForm", "CheckLineStatusBox.0", "Disable"},
    {"TSettingsForm", "CheckLineStatusBox.1", "Enable"},
    {"TSettingsForm", "Start", "Старт"},
    {"TSettingsForm", "CancelSetBtn", "Отмена"},

    // Preview window.
    {"TPlayForm", "", "Просмотрщик"},
    {"TPlayForm", "PlayList.0", "Название"},
    {"TPlayForm", "PlayList.hint", "Дважды кликните на файле чтобы просмотреть/прослушать"},
    {"TPlayForm", "PlayStatus", "Файл 0/0"},

    // Favourites editor.
    {"TFavoritesForm", "", "Favorites Настройки"},
    {"TFavoritesForm", "DeleteFavBtn", "Удалить"},
    {"TFavoritesForm", "RenameFavBtn", "Переименовать"},

    // About window.
    {"TAboutForm", "", "О программе"},
    {"TAboutForm", "Label1", "Q7K3 File Manager v0.53+"},
    {"TAboutForm", "Label2", "Автор: Orvik Lanto"},
    {"TAboutForm", "Label3", "Q7K3FM Group"},
    {"TAboutForm", "Label4", "q7k3fm@example.org"},
    {"TAboutForm", "Label5", "Домашняя страница Q7K3FileManager"},
    {"TAboutForm", "AboutOkBtn", "OK"},

    // The catalogue itself: never shown; it also keeps the home-page address the About
    // window opens. Until the program has a site of its own, that is its help page,
    // installed beside the program.
    {"TForm11", "", "Messages"},
    {"TForm11", "HomePage", "Q7K3FM.hlp"},
};

using Key = std::pair<std::string, std::string>;

const std::map<Key, std::string, std::less<>>& Table() {
    static const std::map<Key, std::string, std::less<>> table = [] {
        std::map<Key, std::string, std::less<>> t;
        for (const Row& row : kRows) t.emplace(Key{row.window, row.control}, row.text);
        return t;
    }();
    return table;
}

}  // namespace

const std::string& Caption(std::string_view window, std::string_view control) {
    static const std::string empty;
    const auto& table = Table();
    auto it = table.find(Key{std::string(window), std::string(control)});
    return it == table.end() ? empty : it->second;
}

int CaptionItemCount(std::string_view window, std::string_view control) {
    int n = 0;
    while (!Caption(window, std::string(control) + "." + std::to_string(n)).empty()) ++n;
    return n;
}

}  // namespace q7k3
