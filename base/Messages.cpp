#include "base/Messages.h"

#include <QtGlobal>

#include <atomic>
#include <cassert>
#include <memory>
#include <mutex>
#include <vector>

#include "base/Language.h"

namespace q7k3 {
namespace {

// One text of the catalogue: the Russian source and, for a text that has an English one, its
// number as lupdate files it (QT_TRANSLATE_NOOP3("Catalogue", text, "N"): one entry per
// number, even where two numbers hold the same words). A plural text ("%n файлов", marked
// QT_TRANSLATE_N_NOOP3) also carries its three Russian forms, one|few|many: the translation
// files hold them too, but a process that loads none still counts right with these.
struct Marked {
    const char* Text;
    const char* Number;
};
struct Source {
    constexpr Source(const char* text) : Text(text) {}  // NOLINT: the table's plain entries
    constexpr Source(const char* text, const char* number) : Text(text), Number(number) {}
    constexpr Source(Marked plural, const char* forms)
        : Text(plural.Text), Number(plural.Number), Forms(forms) {}
    const char* Text;
    const char* Number = nullptr;
    const char* Forms = nullptr;
};

// Numbers 23-25, 31-34, 46-49, 81-109 and every "reserved" one are unused and stay empty so
// every other number keeps its place.
const Source kSources[] = {
    /*  0 */ QT_TRANSLATE_NOOP3("Catalogue", "Время ожидания истекло", "0"),
    /*  1 */ QT_TRANSLATE_NOOP3("Catalogue", "Невозможно открыть файл ", "1"),
    /*  2 */ QT_TRANSLATE_NOOP3("Catalogue", "Ошибка контрольной суммы", "2"),
    /*  3 */ QT_TRANSLATE_NOOP3("Catalogue", "Ни одного JAR файла не найдено", "3"),
    /*  4 */ QT_TRANSLATE_NOOP3("Catalogue", "Файл не найден", "4"),
    /*  5 */ QT_TRANSLATE_NOOP3("Catalogue", "Память заполнена", "5"),
    /*  6 */ QT_TRANSLATE_NOOP3("Catalogue", "Ошибка", "6"),
    /*  7 */ QT_TRANSLATE_NOOP3("Catalogue", "Ваш телефон не пропатчен или Nand отформатирован\r\nВы хотите продолжить?", "7"),
    /*  8 */ QT_TRANSLATE_NOOP3("Catalogue", "Внимание", "8"),
    /*  9 */ QT_TRANSLATE_NOOP3("Catalogue", "Файл ", "9"),
    /* 10 */ QT_TRANSLATE_NOOP3("Catalogue", " слишком большой", "10"),
    /* 11 */ QT_TRANSLATE_NOOP3("Catalogue", "Нет места для мелодии по умолчанию. Пожалуйста удалите одну из них.", "11"),
    /* 12 */ QT_TRANSLATE_NOOP3("Catalogue", "Ошибка конвертирования в mel", "12"),
    /* 13 */ QT_TRANSLATE_NOOP3("Catalogue", "Файл мелодии не опознан", "13"),
    /* 14 */ QT_TRANSLATE_NOOP3("Catalogue", "Файл BMP не опознан", "14"),
    /* 15 */ QT_TRANSLATE_NOOP3("Catalogue", "Ширина BMP файла должна быть не больше 128", "15"),
    /* 16 */ QT_TRANSLATE_NOOP3("Catalogue", "Нет места для EMS картинки. Пожалуйста удалите одну из них", "16"),
    /* 17 */ QT_TRANSLATE_NOOP3("Catalogue", "Нет места для EMS мелодии. Пожалуйста удалите одну из них", "17"),
    /* 18 */ QT_TRANSLATE_NOOP3("Catalogue", "Ошибка создания JAD файла", "18"),
    /* 19 */ QT_TRANSLATE_NOOP3("Catalogue", "Диск защищен от записи", "19"),
    /* 20 */ QT_TRANSLATE_NOOP3("Catalogue", "Эта модель телефона не поддерживается", "20"),
    /* 21 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон не отвечает", "21"),
    /* 22 */ QT_TRANSLATE_NOOP3("Catalogue", "Невозможно открыть порт", "22"),
    /* 23 */ "",
    /* 24 */ "",
    /* 25 */ "",
    /* 26 */ QT_TRANSLATE_NOOP3("Catalogue", "Вы действительно хотите удалить ", "26"),
    /* 27 */ QT_TRANSLATE_NOOP3("Catalogue", " файлов?", "27"),
    /* 28 */ QT_TRANSLATE_NOOP3("Catalogue", "Удаление", "28"),
    /* 29 */ QT_TRANSLATE_NOOP3("Catalogue", "Ни одного ком порта не найдено", "29"),
    /* 30 */ QT_TRANSLATE_NOOP3("Catalogue", "Потеряна связь с телефоном", "30"),
    /* 31 */ "",
    /* 32 */ "",
    /* 33 */ "",
    /* 34 */ "",
    /* 35 */ QT_TRANSLATE_NOOP3("Catalogue", "Кэширование списка файлов", "35"),
    /* 36 */ QT_TRANSLATE_NOOP3("Catalogue", "Инициализация программы", "36"),
    /* 37 */ QT_TRANSLATE_NOOP3("Catalogue", "Копирование файла 1 из ", "37"),
    /* 38 */ QT_TRANSLATE_NOOP3("Catalogue", "Копирование файла ", "38"),
    /* 39 */ QT_TRANSLATE_NOOP3("Catalogue", " из ", "39"),
    /* 40 */ QT_TRANSLATE_NOOP3("Catalogue", "Копирование на телефон ", "40"),
    /* 41 */ QT_TRANSLATE_NOOP3("Catalogue", "Удаление ", "41"),
    /* 42 */ QT_TRANSLATE_NOOP3("Catalogue", "Удаление файла ", "42"),
    /* 43 */ QT_TRANSLATE_NOOP3("Catalogue", "Удаление Thumbs...", "43"),
    /* 44 */ QT_TRANSLATE_NOOP3("Catalogue", "Удаление файла 1 из ", "44"),
    /* 45 */ QT_TRANSLATE_NOOP3("Catalogue", "Компилирование Java", "45"),
    /* 46 */ "",
    /* 47 */ "",
    /* 48 */ "",
    /* 49 */ "",
    /* 50 */ QT_TRANSLATE_NOOP3("Catalogue", "Переименовывание файла ", "50"),
    /* 51 */ QT_TRANSLATE_NOOP3("Catalogue", "Копирование файла во временную папку", "51"),
    /* 52 */ QT_TRANSLATE_NOOP3("Catalogue", "Удаление файла", "52"),
    /* 53 */ QT_TRANSLATE_NOOP3("Catalogue", "Копирование файла с новым именем", "53"),
    /* 54 */ QT_TRANSLATE_NOOP3("Catalogue", "Завершение операции", "54"),
    /* 55 */ QT_TRANSLATE_NOOP3("Catalogue", "Обновление папки ", "55"),
    /* 56 */ QT_TRANSLATE_NOOP3("Catalogue", "Обновление текущей папки", "56"),
    /* 57 */ QT_TRANSLATE_NOOP3("Catalogue", "Введите краткое наименование", "57"),
    /* 58 */ QT_TRANSLATE_NOOP3("Catalogue", "Переименовать", "58"),
    /* 59 */ QT_TRANSLATE_NOOP3("Catalogue", "Завершение текущей операции", "59"),
    /* 60 */ QT_TRANSLATE_NOOP3("Catalogue", "Чтение ", "60"),
    /* 61 */ QT_TRANSLATE_NOOP3("Catalogue", "Просмотр ", "61"),
    /* 62 */ QT_TRANSLATE_NOOP3("Catalogue", "Обновление списка файлов", "62"),
    /* 63 */ QT_TRANSLATE_NOOP3("Catalogue", "Анализ списка файлов", "63"),
    /* 64 */ QT_TRANSLATE_NOOP3("Catalogue", "Удаляем suites.utf", "64"),
    /* 65 */ QT_TRANSLATE_NOOP3("Catalogue", "Удаляем suitesName.utf", "65"),
    /* 66 */ QT_TRANSLATE_NOOP3("Catalogue", "Запись suites.utf", "66"),
    /* 67 */ QT_TRANSLATE_NOOP3("Catalogue", "Запись suitesName.utf", "67"),
    /* 68 */ QT_TRANSLATE_NOOP3("Catalogue", "Обновление папки Java", "68"),
    /* 69 */ QT_TRANSLATE_NOOP3("Catalogue", "Передача данных... ", "69"),
    /* 70 */ QT_TRANSLATE_NOOP3("Catalogue", "КБ/сек", "70"),
    /* 71 */ QT_TRANSLATE_NOOP3("Catalogue", " КБ из ", "71"),
    /* 72 */ QT_TRANSLATE_NOOP3("Catalogue", " KБ,Файлов: ", "72"),
    /* 73 */ QT_TRANSLATE_NOOP3("Catalogue", "Свободно ", "73"),
    /* 74 */ QT_TRANSLATE_NOOP3("Catalogue", " KB из 13104 KB", "74"),
    /* 75 */ QT_TRANSLATE_NOOP3("Catalogue", " МБ из ", "75"),
    /* 76 */ QT_TRANSLATE_NOOP3("Catalogue", " МБ", "76"),
    /* 77 */ QT_TRANSLATE_NOOP3("Catalogue", " ", "77"),
    /* 78 */ QT_TRANSLATE_NOOP3("Catalogue", "Кэширование файлов было прервано.\r\nСвободное место на телефоне отображается неправильно", "78"),
    /* 79 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон прислал ответ, который невозможно прочитать", "79"),
    /* 80 */ QT_TRANSLATE_NOOP3("Catalogue", "Невозможно сохранить настройки", "80"),
    /* 81 */ "",
    /* 82 */ "",
    /* 83 */ "",
    /* 84 */ "",
    /* 85 */ "",
    /* 86 */ "",
    /* 87 */ "",
    /* 88 */ "",
    /* 89 */ "",
    /* 90 */ QT_TRANSLATE_NOOP3("Catalogue", "Файл возвращён на телефон под прежним именем ", "90"),
    /* 91 */ QT_TRANSLATE_NOOP3("Catalogue", "Файл сохранён в папке ", "91"),
    /* 92 */ QT_TRANSLATE_NOOP3("Catalogue", "Невозможно удалить файл ", "92"),
    /* 93 */ QT_TRANSLATE_NOOP3("Catalogue", "Недопустимое имя файла ", "93"),
    /* 94 */ "",
    /* 95 */ "",
    /* 96 */ "",
    /* 97 */ "",
    /* 98 */ "",
    /* 99 */ "",
    /* 100 */ "",
    /* 101 */ "",
    /* 102 */ "",
    /* 103 */ "",
    /* 104 */ "",
    /* 105 */ "",
    /* 106 */ "",
    /* 107 */ "",
    /* 108 */ "",
    /* 109 */ "",
    /* 110 */ QT_TRANSLATE_NOOP3("Catalogue", "Последовательные порты", "110"),
    /* 111 */ QT_TRANSLATE_NOOP3("Catalogue", "Почему нет порта?", "111"),
    /* 112 */ QT_TRANSLATE_NOOP3("Catalogue", "открывается", "112"),
    /* 113 */ QT_TRANSLATE_NOOP3("Catalogue", "открывается, но его также держит открытым ", "113"),
    /* 114 */ QT_TRANSLATE_NOOP3("Catalogue", "нет прав доступа; порт принадлежит группе ", "114"),
    /* 115 */ QT_TRANSLATE_NOOP3("Catalogue", "Добавьте себя в эту группу и войдите в систему заново:", "115"),
    /* 116 */ QT_TRANSLATE_NOOP3("Catalogue", "Дайте доступ к порту (до его переподключения):", "116"),
    /* 117 */ QT_TRANSLATE_NOOP3("Catalogue", "занят программой ", "117"),
    /* 118 */ QT_TRANSLATE_NOOP3("Catalogue", "занят другой программой", "118"),
    /* 119 */ QT_TRANSLATE_NOOP3("Catalogue", "занят ModemManager", "119"),
    /* 120 */ QT_TRANSLATE_NOOP3("Catalogue", "Чтобы ModemManager не занимал порт, добавьте в файл /etc/udev/rules.d/99-q7k3fm.rules строку:", "120"),
    /* 121 */ QT_TRANSLATE_NOOP3("Catalogue", "Затем выполните sudo udevadm control --reload-rules и подключите телефон заново.", "121"),
    /* 122 */ QT_TRANSLATE_NOOP3("Catalogue", "не открывается: ", "122"),
    /* 123 */ QT_TRANSLATE_NOOP3("Catalogue", "Последовательных портов не найдено", "123"),
    /* 124 */ QT_TRANSLATE_NOOP3("Catalogue", "Трасса обмена", "124"),
    /* 125 */ QT_TRANSLATE_NOOP3("Catalogue", "Выключено", "125"),
    /* 126 */ QT_TRANSLATE_NOOP3("Catalogue", "Включено", "126"),
    /* 127 */ QT_TRANSLATE_NOOP3("Catalogue", "Обмен с телефоном записывается в файл ", "127"),
    /* 128 */ QT_TRANSLATE_NOOP3("Catalogue", "Закрыть", "128"),
    /* 129 */ "",
    /* 130 */ QT_TRANSLATE_NOOP3("Catalogue", "Этот формат мелодии не поддерживается", "130"),
    /* 131 */ QT_TRANSLATE_NOOP3("Catalogue", "Не найден звуковой банк для проигрывания мелодий", "131"),
    /* 132 */ QT_TRANSLATE_NOOP3("Catalogue", "Контрольная сумма мелодии не совпадает", "132"),
    /* 133 */ "",  // reserved
    /* 134 */ "",  // reserved
    /* 135 */ "",  // reserved
    /* 136 */ "",  // reserved
    /* 137 */ "",  // reserved
    /* 138 */ "",  // reserved
    /* 139 */ "",  // reserved
    /* 140 */ QT_TRANSLATE_NOOP3("Catalogue", "Ошибка компиляции Файл ", "140"),
    /* 141 */ QT_TRANSLATE_NOOP3("Catalogue", " не найден", "141"),
    /* 142 */ QT_TRANSLATE_NOOP3("Catalogue", "Ошибка компиляции: имя слишком длинное для suites.utf: ", "142"),
    /* 143 */ QT_TRANSLATE_NOOP3("Catalogue", "Ошибка компиляции: список Java приложений длиннее 4100 байт и не помещается в suites.utf", "143"),
    /* 144 */ QT_TRANSLATE_NOOP3("Catalogue", "\r\nНа телефоне восстановлен прежний suites.utf.", "144"),
    /* 145 */ QT_TRANSLATE_NOOP3("Catalogue", "\r\nНа телефоне сейчас нет файла suites.utf.", "145"),
    /* 146 */ QT_TRANSLATE_NOOP3("Catalogue", "\r\nНа телефоне записан новый suites.utf.", "146"),
    /* 147 */ QT_TRANSLATE_NOOP3("Catalogue", "\r\nНа телефоне сейчас нет файла suitesName.utf.", "147"),
    /* 148 */ QT_TRANSLATE_NOOP3("Catalogue", "\r\nЗапустите компиляцию Java ещё раз.", "148"),
    /* 149 */ "",  // reserved
    /* 150 */ QT_TRANSLATE_NOOP3("Catalogue", "Резервная копия телефона", "150"),
    /* 151 */ QT_TRANSLATE_NOOP3("Catalogue", "Восстановление из резервной копии", "151"),
    /* 152 */ QT_TRANSLATE_NOOP3("Catalogue", "Проверка резервной копии", "152"),
    /* 153 */ QT_TRANSLATE_NOOP3("Catalogue", "Чтение папки ", "153"),
    /* 154 */ QT_TRANSLATE_NOOP3("Catalogue", " КБ", "154"),
    /* 155 */ QT_TRANSLATE_NOOP3("Catalogue", ", осталось ", "155"),
    /* 156 */ QT_TRANSLATE_NOOP3("Catalogue", "В папке нет резервной копии: ", "156"),
    /* 157 */ QT_TRANSLATE_NOOP3("Catalogue", "Опись резервной копии повреждена: ", "157"),
    /* 158 */ QT_TRANSLATE_NOOP3("Catalogue", "Невозможно создать папку ", "158"),
    /* 159 */ QT_TRANSLATE_NOOP3("Catalogue", "Память телефона заполнена, восстановление остановлено. Восстановлено файлов: ", "159"),
    /* 160 */ QT_TRANSLATE_NOOP3("Catalogue", "Восстановлены: ", "160"),
    /* 161 */ QT_TRANSLATE_NOOP3("Catalogue", "Не восстановлены: ", "161"),
    /* 162 */ QT_TRANSLATE_NOOP3("Catalogue", "На телефоне нет папки ", "162"),
    /* 163 */ QT_TRANSLATE_NOOP3("Catalogue", "Файл резервной копии повреждён: ", "163"),
    /* 164 */ QT_TRANSLATE_NOOP3("Catalogue", "Нет на телефоне: ", "164"),
    /* 165 */ QT_TRANSLATE_NOOP3("Catalogue", "Изменён на телефоне: ", "165"),
    /* 166 */ QT_TRANSLATE_NOOP3("Catalogue", "Нет в резервной копии: ", "166"),
    /* 167 */ QT_TRANSLATE_NOOP3("Catalogue", "Не совпадает контрольная сумма: ", "167"),
    /* 168 */ QT_TRANSLATE_NOOP3("Catalogue", "Резервная копия совпадает с телефоном", "168"),
    /* 169 */ QT_TRANSLATE_NOOP3("Catalogue", "Скопировано файлов: ", "169"),
    /* 170 */ QT_TRANSLATE_NOOP3("Catalogue", "неизвестный параметр ", "170"),
    /* 171 */ QT_TRANSLATE_NOOP3("Catalogue", "параметру нужно значение: ", "171"),
    /* 172 */ QT_TRANSLATE_NOOP3("Catalogue", "параметр не принимает значения: ", "172"),
    /* 173 */ QT_TRANSLATE_NOOP3("Catalogue", "неизвестная команда ", "173"),
    /* 174 */ QT_TRANSLATE_NOOP3("Catalogue", "; может быть, ", "174"),
    /* 175 */ QT_TRANSLATE_NOOP3("Catalogue", "лишний аргумент ", "175"),
    /* 176 */ QT_TRANSLATE_NOOP3("Catalogue", "не хватает аргументов: ", "176"),
    /* 177 */ QT_TRANSLATE_NOOP3("Catalogue", "подробнее: q7k3fm-cli help ", "177"),
    /* 178 */ QT_TRANSLATE_NOOP3("Catalogue", "недопустимое значение ", "178"),
    /* 179 */ QT_TRANSLATE_NOOP3("Catalogue", "локальный файл уже есть (--force заменит его): ", "179"),
    /* 180 */ QT_TRANSLATE_NOOP3("Catalogue", "входной файл не того вида, ожидался ", "180"),
    /* 181 */ QT_TRANSLATE_NOOP3("Catalogue", "на телефоне уже есть файл (--overwrite заменит его): ", "181"),
    /* 182 */ QT_TRANSLATE_NOOP3("Catalogue", "MEL (32 байта названия, затем мелодия MMMD)", "182"),
    /* 183 */ QT_TRANSLATE_NOOP3("Catalogue", "MMF (мелодия, начинается с MMMD)", "183"),
    /* 184 */ QT_TRANSLATE_NOOP3("Catalogue", "ANI (картинка телефона, по 2 байта на точку)", "184"),
    /* 185 */ QT_TRANSLATE_NOOP3("Catalogue", "картинка BMP, JPEG, GIF или PNG", "185"),
    /* 186 */ QT_TRANSLATE_NOOP3("Catalogue", "EMS-картинка", "186"),
    /* 187 */ QT_TRANSLATE_NOOP3("Catalogue", "мелодия iMelody (BEGIN:IMELODY)", "187"),
    /* 188 */ QT_TRANSLATE_NOOP3("Catalogue", "EMS-мелодия", "188"),
    /* 189 */ QT_TRANSLATE_NOOP3("Catalogue", "архив JAR", "189"),
    /* 190 */ QT_TRANSLATE_NOOP3("Catalogue", "вид преобразования не назван и не угадывается по расширениям: ", "190"),
    /* 191 */ QT_TRANSLATE_NOOP3("Catalogue", "нет такой папки телефона: ", "191"),
    /* 192 */ QT_TRANSLATE_NOOP3("Catalogue", "нет такого локального файла: ", "192"),
    /* 193 */ QT_TRANSLATE_NOOP3("Catalogue", "такое имя на телефоне потом не назвать путём: ", "193"),
    /* 194 */ QT_TRANSLATE_NOOP3("Catalogue", "прервано: запись доводится до конца, и телефон отвергнет недописанный файл (ещё Ctrl+C — выйти сразу)", "194"),
    /* 195 */ QT_TRANSLATE_NOOP3("Catalogue", "имя подходит к нескольким: ", "195"),
    /* 196 */ QT_TRANSLATE_NOOP3("Catalogue", "порт: ", "196"),
    /* 197 */ QT_TRANSLATE_NOOP3("Catalogue", "модель: ", "197"),
    /* 198 */ QT_TRANSLATE_NOOP3("Catalogue", "несколько файлов кладутся в локальную папку: ", "198"),
    /* 199 */ QT_TRANSLATE_NOOP3("Catalogue", "по правилам папок файл преобразуется: назовите локальную папку или дайте --raw", "199"),
    /* 200 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон не подключен: Файл → Подключить", "200"),
    /* 201 */ QT_TRANSLATE_NOOP3("Catalogue", "Подключить", "201"),
    /* 202 */ QT_TRANSLATE_NOOP3("Catalogue", "Отметить", "202"),
    /* 203 */ QT_TRANSLATE_NOOP3("Catalogue", "Снять отметку", "203"),
    /* 204 */ QT_TRANSLATE_NOOP3("Catalogue", "Шаблон имён:", "204"),
    /* 205 */ QT_TRANSLATE_NOOP3("Catalogue", "Открыть", "205"),
    /* 206 */ QT_TRANSLATE_NOOP3("Catalogue", "Открыть программой системы", "206"),
    /* 207 */ "",  // reserved
    /* 208 */ "",  // reserved
    /* 209 */ "",  // reserved
    /* 210 */ QT_TRANSLATE_NOOP3("Catalogue", "Резервная копия телефона…", "210"),
    /* 211 */ QT_TRANSLATE_NOOP3("Catalogue", "Восстановить из копии…", "211"),
    /* 212 */ QT_TRANSLATE_NOOP3("Catalogue", "Проверить копию…", "212"),
    /* 213 */ QT_TRANSLATE_NOOP3("Catalogue", "Папка резервной копии", "213"),
    /* 214 */ QT_TRANSLATE_NOOP3("Catalogue", "Что восстановить", "214"),
    /* 215 */ QT_TRANSLATE_NOOP3("Catalogue", "Сверить и содержимое файлов (телефон читается целиком, это дольше)", "215"),
    /* 216 */ QT_TRANSLATE_NOOP3("Catalogue", "Проверка прервана: сверено не всё.", "216"),
    /* 217 */ QT_TRANSLATE_NOOP3("Catalogue", ", без изменений: ", "217"),
    /* 218 */ QT_TRANSLATE_NOOP3("Catalogue", "Резервная копия прервана. Следующий запуск продолжит её с того же места.", "218"),
    /* 219 */ QT_TRANSLATE_NOOP3("Catalogue", "Восстановлено файлов: ", "219"),
    /* 220 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон отвечает, но не завершает ответ", "220"),
    /* 221 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон присылает данные, но не ответ: помехи на линии или неверная скорость порта", "221"),
    /* 222 */ QT_TRANSLATE_NOOP3("Catalogue", "Операция прервана", "222"),
    /* 223 */ QT_TRANSLATE_NOOP3("Catalogue", "На телефоне больше 4096 папок: показаны только первые 4096", "223"),
    /* 224 */ QT_TRANSLATE_NOOP3("Catalogue", "не найден", "224"),
    /* 225 */ "",  // reserved
    /* 226 */ "",  // reserved
    /* 227 */ "",  // reserved
    /* 228 */ "",  // reserved
    /* 229 */ "",  // reserved
    /* 230 */ "",  // reserved
    /* 231 */ "",  // reserved
    /* 232 */ "",  // reserved
    /* 233 */ "",  // reserved
    /* 234 */ "",  // reserved
    /* 235 */ "",  // reserved
    /* 236 */ "",  // reserved
    /* 237 */ "",  // reserved
    /* 238 */ "",  // reserved
    /* 239 */ "",  // reserved
    /* 240 */ "",  // reserved
    /* 241 */ "",  // reserved
    /* 242 */ "",  // reserved
    /* 243 */ "",  // reserved
    /* 244 */ "",  // reserved
    /* 245 */ QT_TRANSLATE_NOOP3("Catalogue", "Новый файл записан на телефон под временным именем ", "245"),
    /* 246 */ QT_TRANSLATE_NOOP3("Catalogue", "На телефоне остался временный файл ", "246"),
    /* 247 */ "",  // reserved
    /* 248 */ "",  // reserved
    /* 249 */ "",  // reserved
    /* 250 */ QT_TRANSLATE_NOOP3("Catalogue", "Порт телефона пропал (кабель отсоединён или устройство отключено): ", "250"),
    /* 251 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон занят: дождитесь конца текущей операции", "251"),
    /* 252 */ "",  // reserved
    /* 253 */ "",  // reserved
    /* 254 */ "",  // reserved
    /* 255 */ "",  // reserved
    /* 256 */ "",  // reserved
    /* 257 */ "",  // reserved
    /* 258 */ "",  // reserved
    /* 259 */ "",  // reserved
    /* 260 */ "",  // reserved
    /* 261 */ "",  // reserved
    /* 262 */ "",  // reserved
    /* 263 */ "",  // reserved
    /* 264 */ "",  // reserved
    /* 265 */ "",  // reserved
    /* 266 */ "",  // reserved
    /* 267 */ "",  // reserved
    /* 268 */ "",  // reserved
    /* 269 */ "",  // reserved
    /* 270 */ "",  // reserved
    /* 271 */ "",  // reserved
    /* 272 */ "",  // reserved
    /* 273 */ "",  // reserved
    /* 274 */ "",  // reserved
    /* 275 */ "",  // reserved
    /* 276 */ "",  // reserved
    /* 277 */ "",  // reserved
    /* 278 */ "",  // reserved
    /* 279 */ "",  // reserved
    /* 280 */ "",  // reserved
    /* 281 */ "",  // reserved
    /* 282 */ "",  // reserved
    /* 283 */ "",  // reserved
    /* 284 */ "",  // reserved
    /* 285 */ "",  // reserved
    /* 286 */ "",  // reserved
    /* 287 */ "",  // reserved
    /* 288 */ "",  // reserved
    /* 289 */ "",  // reserved
    /* 290 */ "",  // reserved
    /* 291 */ "",  // reserved
    /* 292 */ "",  // reserved
    /* 293 */ "",  // reserved
    /* 294 */ "",  // reserved
    /* 295 */ "",  // reserved
    /* 296 */ "",  // reserved
    /* 297 */ "",  // reserved
    /* 298 */ "",  // reserved
    /* 299 */ "",  // reserved
    /* 300 */ QT_TRANSLATE_NOOP3("Catalogue", "Нет звукового устройства", "300"),
    /* 301 */ QT_TRANSLATE_NOOP3("Catalogue", "Звук мелодии записан в кодировке, которую проигрыватель не воспроизводит: он не прозвучит", "301"),
    /* 302 */ QT_TRANSLATE_NOOP3("Catalogue", "Мелодия длиннее 500 байт и не поместится в SMS", "302"),
    /* 303 */ QT_TRANSLATE_NOOP3("Catalogue", "В архиве JAR нет манифеста META-INF/MANIFEST.MF", "303"),
    /* 304 */ "",  // reserved
    /* 305 */ "",  // reserved
    /* 306 */ "",  // reserved
    /* 307 */ "",  // reserved
    /* 308 */ "",  // reserved
    /* 309 */ "",  // reserved
    /* 310 */ "",  // reserved
    /* 311 */ "",  // reserved
    /* 312 */ "",  // reserved
    /* 313 */ "",  // reserved
    /* 314 */ "",  // reserved
    /* 315 */ "",  // reserved
    /* 316 */ "",  // reserved
    /* 317 */ "",  // reserved
    /* 318 */ "",  // reserved
    /* 319 */ "",  // reserved
    /* 320 */ QT_TRANSLATE_NOOP3("Catalogue", "Удалить с телефона ", "320"),
    /* 321 */ QT_TRANSLATE_NOOP3("Catalogue", "«", "321"),
    /* 322 */ QT_TRANSLATE_NOOP3("Catalogue", "»?", "322"),
    /* 323 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон ответил OK, не приняв файл целиком: ", "323"),
    /* 324 */ QT_TRANSLATE_NOOP3("Catalogue", "Пропущены (уже есть на телефоне): ", "324"),
    /* 325 */ QT_TRANSLATE_NOOP3("Catalogue", "Стандартный ввод длиннее, чем может принять телефон: больше ", "325"),
    /* 326 */ QT_TRANSLATE_NOOP3("Catalogue", " байт", "326"),
    /* 327 */ QT_TRANSLATE_NOOP3("Catalogue", "Не удалось сохранить стандартный ввод: ", "327"),
    /* 328 */ QT_TRANSLATE_NOOP3("Catalogue", "Путь ведёт через символическую ссылку, отказано: ", "328"),
    /* 329 */ QT_TRANSLATE_NOOP3("Catalogue", "Замена файла, прерванная в прошлый раз, завершена: ", "329"),
    /* 330 */ QT_TRANSLATE_NOOP3("Catalogue", "Удалён временный файл прерванной замены: ", "330"),
    /* 331 */ QT_TRANSLATE_NOOP3("Catalogue", "Нет на телефоне: ", "331"),
    /* 332 */ QT_TRANSLATE_NOOP3("Catalogue", "нет на телефоне", "332"),
    /* 333 */ QT_TRANSLATE_NOOP3("Catalogue", "Слишком длинное имя (в этой папке телефона не больше ", "333"),
    /* 334 */ QT_TRANSLATE_NOOP3("Catalogue", " байт): ", "334"),
    /* 335 */ QT_TRANSLATE_NOOP3("Catalogue", " сохранён как ", "335"),
    /* 336 */ QT_TRANSLATE_NOOP3("Catalogue", ": имя ", "336"),
    /* 337 */ QT_TRANSLATE_NOOP3("Catalogue", " уже получил другой файл этой же команды", "337"),
    /* 338 */ QT_TRANSLATE_NOOP3("Catalogue", "Не сохранены: телефон не отдаёт файлы под этими именами (длиннее 64 знаков или с кавычкой): ", "338"),
    /* 339 */ QT_TRANSLATE_NOOP3("Catalogue", "Пустой файл не скопирован (телефон не показывает файлы нулевой длины): ", "339"),
    /* 340 */ QT_TRANSLATE_NOOP3("Catalogue", " записан на телефон как ", "340"),
    /* 341 */ QT_TRANSLATE_NOOP3("Catalogue", "Стёртое до обрыва связи сохранено на компьютере и будет записано на телефон при следующем подключении: ", "341"),
    /* 342 */ "",  // reserved
    /* 343 */ "",  // reserved
    /* 344 */ "",  // reserved
    /* 345 */ "",  // reserved
    /* 346 */ "",  // reserved
    /* 347 */ "",  // reserved
    /* 348 */ "",  // reserved
    /* 349 */ "",  // reserved
    /* 350 */ QT_TRANSLATE_NOOP3("Catalogue", "порт телефона не задан: назовите его параметром --port ПУТЬ или переменной Q7K3FM_PORT; какие порты есть, покажет q7k3fm-cli ports", "350"),
    /* 351 */ QT_TRANSLATE_NOOP3("Catalogue", "проверьте кабель и что телефон включён; другой порт задаётся параметром --port ПУТЬ или переменной Q7K3FM_PORT, все порты и их состояние покажет q7k3fm-cli ports", "351"),
    /* 352 */ QT_TRANSLATE_NOOP3("Catalogue", "Порт: ", "352"),
    /* 353 */ QT_TRANSLATE_NOOP3("Catalogue", "Проверьте кабель и что телефон включён.", "353"),
    /* 354 */ QT_TRANSLATE_NOOP3("Catalogue", "Порт выбирается в Файл → Настройки; кнопка «?» там показывает состояние каждого порта.", "354"),
    /* 355 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон отказался выполнить команду (ответил ERROR)", "355"),
    /* 356 */ QT_TRANSLATE_NOOP3("Catalogue", "на диске нет места", "356"),
    /* 357 */ QT_TRANSLATE_NOOP3("Catalogue", "диск только для чтения", "357"),
    /* 358 */ QT_TRANSLATE_NOOP3("Catalogue", "нет прав на запись в папку ", "358"),
    /* 359 */ QT_TRANSLATE_NOOP3("Catalogue", "нет прав на чтение", "359"),
    /* 360 */ QT_TRANSLATE_NOOP3("Catalogue", "это папка, а не файл", "360"),
    /* 361 */ QT_TRANSLATE_NOOP3("Catalogue", "это не обычный файл, а канал или устройство", "361"),
    /* 362 */ QT_TRANSLATE_NOOP3("Catalogue", "нет такой папки", "362"),
    /* 363 */ QT_TRANSLATE_NOOP3("Catalogue", "нет такого файла", "363"),
    /* 364 */ QT_TRANSLATE_NOOP3("Catalogue", "системная ошибка ", "364"),
    /* 365 */ QT_TRANSLATE_NOOP3("Catalogue", "Невозможно записать в папку ", "365"),
    /* 366 */ QT_TRANSLATE_NOOP3("Catalogue", "это файл, а не папка", "366"),
    /* 367 */ "",  // reserved
    /* 368 */ QT_TRANSLATE_NOOP3("Catalogue", ", исчезли с телефона за это время: ", "368"),
    /* 369 */ QT_TRANSLATE_NOOP3("Catalogue", "восстановлен", "369"),
    /* 370 */ QT_TRANSLATE_NOOP3("Catalogue", "не восстановлен", "370"),
    /* 371 */ QT_TRANSLATE_NOOP3("Catalogue", "в копии нет файлов, подходящих под --folder и --match", "371"),
    /* 372 */ QT_TRANSLATE_NOOP3("Catalogue", "эта папка есть только в программе и файлов не хранит: ", "372"),
    /* 373 */ QT_TRANSLATE_NOOP3("Catalogue", "невозможно записать трассу обмена в файл ", "373"),
    /* 374 */ QT_TRANSLATE_NOOP3("Catalogue", " (сохранён в настройках)", "374"),
    /* 375 */ QT_TRANSLATE_NOOP3("Catalogue", " (из переменной Q7K3FM_PORT)", "375"),
    /* 376 */ QT_TRANSLATE_NOOP3("Catalogue", "Вызов: q7k3fm (своих параметров нет: порт телефона выбирается в окне, Файл → Настройки)", "376"),
    /* 377 */ QT_TRANSLATE_NOOP3("Catalogue", "Дата", "377"),
    /* 378 */ QT_TRANSLATE_NOOP3("Catalogue", "пропущен", "378"),
    /* 379 */ "",  // reserved
    /* 380 */ "",  // reserved
    /* 381 */ "",  // reserved
    /* 382 */ "",  // reserved
    /* 383 */ "",  // reserved
    /* 384 */ "",  // reserved
    /* 385 */ "",  // reserved
    /* 386 */ "",  // reserved
    /* 387 */ "",  // reserved
    /* 388 */ "",  // reserved
    /* 389 */ "",  // reserved
    /* 390 */ "",  // reserved
    /* 391 */ "",  // reserved
    /* 392 */ "",  // reserved
    /* 393 */ "",  // reserved
    /* 394 */ "",  // reserved
    /* 395 */ "",  // reserved
    /* 396 */ "",  // reserved
    /* 397 */ "",  // reserved
    /* 398 */ "",  // reserved
    /* 399 */ "",  // reserved
    /* 400 */ QT_TRANSLATE_NOOP3("Catalogue", "Найти телефон", "400"),
    /* 401 */ QT_TRANSLATE_NOOP3("Catalogue", "Остановить", "401"),
    /* 402 */ QT_TRANSLATE_NOOP3("Catalogue", "Поиск телефона", "402"),
    /* 403 */ QT_TRANSLATE_NOOP3("Catalogue", "телефон ", "403"),
    /* 404 */ QT_TRANSLATE_NOOP3("Catalogue", "модель телефона не поддерживается: ", "404"),
    /* 405 */ QT_TRANSLATE_NOOP3("Catalogue", "отвечает как модем, но это не телефон SGH", "405"),
    /* 406 */ QT_TRANSLATE_NOOP3("Catalogue", "не отвечает", "406"),
    /* 407 */ QT_TRANSLATE_NOOP3("Catalogue", "отвечает, но не на команды AT", "407"),
    /* 408 */ QT_TRANSLATE_NOOP3("Catalogue", "проверка остановлена", "408"),
    /* 409 */ QT_TRANSLATE_NOOP3("Catalogue", " бит/с", "409"),
    /* 410 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон не найден ни на одном порту", "410"),
    /* 411 */ QT_TRANSLATE_NOOP3("Catalogue", "Найдено несколько телефонов: выберите один из них", "411"),
    /* 412 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон найден: ", "412"),
    /* 413 */ QT_TRANSLATE_NOOP3("Catalogue", "Подключён телефон ", "413"),
    /* 414 */ QT_TRANSLATE_NOOP3("Catalogue", ". Подключиться к нему?", "414"),
    /* 415 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон не найден на порту ", "415"),
    /* 416 */ QT_TRANSLATE_NOOP3("Catalogue", ". «Найти телефон» проверит все порты.", "416"),
    /* 417 */ QT_TRANSLATE_NOOP3("Catalogue", "найдено несколько телефонов; укажите один из них: --port ПУТЬ", "417"),
    /* 418 */ QT_TRANSLATE_NOOP3("Catalogue", "Выбрать", "418"),
    /* 419 */ QT_TRANSLATE_NOOP3("Catalogue", "Проверить все порты и найти, на каком из них телефон", "419"),
    // 420-449: nothing lost: a second phone, cut renames, leftovers.
    /* 420 */ QT_TRANSLATE_NOOP3("Catalogue", "Запись файла, прерванная в прошлый раз на другом телефоне этой модели, ждёт его подключения: ", "420"),
    /* 421 */ QT_TRANSLATE_NOOP3("Catalogue", "Программа не может узнать по серийному номеру, на этом ли телефоне прервалась в прошлый раз запись файла ", "421"),
    /* 422 */ QT_TRANSLATE_NOOP3("Catalogue", ". Завершить её на этом телефоне?", "422"),
    /* 423 */ QT_TRANSLATE_NOOP3("Catalogue", "; если это тот же телефон, дайте команду ещё раз с параметром --same-phone (до тех пор запись ждёт)", "423"),
    /* 424 */ "",  // reserved
    /* 425 */ QT_TRANSLATE_NOOP3("Catalogue", "Переименование файла, прерванное в прошлый раз, завершено: ", "425"),
    /* 426 */ QT_TRANSLATE_NOOP3("Catalogue", " [д/н] ", "426"),
    /* 427 */ QT_TRANSLATE_NOOP3("Catalogue", "Файл записан под новым именем, но прежнее имя стереть не удалось: ", "427"),
    /* 428 */ QT_TRANSLATE_NOOP3("Catalogue", "Недописанный файл, оставленный прерванным копированием (его уберёт следующее копирование в эту папку): ", "428"),
    /* 429 */ QT_TRANSLATE_NOOP3("Catalogue", "Не сохранены временные файлы записи, прерванной в прошлый раз (её завершит следующее подключение того телефона): ", "429"),
    /* 430 */ QT_TRANSLATE_NOOP3("Catalogue", "прервано; не сохранено: ", "430"),
    /* 431 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон ещё ждёт данных передачи файла, прерванной в прошлый раз; ожидание, пока он её не отменит: ", "431"),
    /* 432 */ QT_TRANSLATE_NOOP3("Catalogue", " с", "432"),
    /* 433 */ QT_TRANSLATE_NOOP3("Catalogue", "ожидание телефона, осталось ", "433"),
    /* 434 */ "",  // reserved
    /* 435 */ "",  // reserved
    /* 436 */ "",  // reserved
    /* 437 */ "",  // reserved
    /* 438 */ "",  // reserved
    /* 439 */ "",  // reserved
    /* 440 */ "",  // reserved
    /* 441 */ "",  // reserved
    /* 442 */ "",  // reserved
    /* 443 */ "",  // reserved
    /* 444 */ "",  // reserved
    /* 445 */ "",  // reserved
    /* 446 */ "",  // reserved
    /* 447 */ "",  // reserved
    /* 448 */ "",  // reserved
    /* 449 */ "",  // reserved
    // 450-499: dialogs, progress and the advice of errors.
    /* 450 */ QT_TRANSLATE_NOOP3("Catalogue", "Имеющийся файл: ", "450"),
    /* 451 */ QT_TRANSLATE_NOOP3("Catalogue", "Новый файл: ", "451"),
    /* 452 */ {QT_TRANSLATE_N_NOOP3("Catalogue", "%Ln байт", "452"), "%Ln байт|%Ln байта|%Ln байт"},
    /* 453 */ {QT_TRANSLATE_N_NOOP3("Catalogue", "%n файлов", "453"), "%n файл|%n файла|%n файлов"},
    /* 454 */ QT_TRANSLATE_NOOP3("Catalogue", "Сигнал DTR при открытии порта", "454"),
    /* 455 */ QT_TRANSLATE_NOOP3("Catalogue", "Аппаратное управление потоком", "455"),
    /* 456 */ QT_TRANSLATE_NOOP3("Catalogue", "Программное управление потоком", "456"),
    /* 457 */ QT_TRANSLATE_NOOP3("Catalogue", "Проверять состояние линии", "457"),
    /* 458 */ QT_TRANSLATE_NOOP3("Catalogue", "только RTS", "458"),
    /* 459 */ QT_TRANSLATE_NOOP3("Catalogue", "?", "459"),
    /* 460 */ QT_TRANSLATE_NOOP3("Catalogue", "Скопировано: ", "460"),
    /* 461 */ QT_TRANSLATE_NOOP3("Catalogue", ", пропущено: ", "461"),
    /* 462 */ QT_TRANSLATE_NOOP3("Catalogue", ", не скопировано: ", "462"),
    /* 463 */ QT_TRANSLATE_NOOP3("Catalogue", "порт не найден: выберите другой; все порты и их состояние покажет команда", "463"),
    /* 464 */ QT_TRANSLATE_NOOP3("Catalogue", "порт держит другая программа: закройте её или выберите другой порт; все порты покажет команда", "464"),
    /* 465 */ QT_TRANSLATE_NOOP3("Catalogue", "выберите последовательный порт; все порты покажет команда", "465"),
    /* 466 */ QT_TRANSLATE_NOOP3("Catalogue", "проверьте кабель и что телефон включён; другой порт задаётся параметром --port ПУТЬ или переменной Q7K3FM_PORT, все порты покажет команда", "466"),
    /* 467 */ QT_TRANSLATE_NOOP3("Catalogue", "подключите кабель и включите телефон, затем повторите; состояние каждого порта покажет команда", "467"),
    /* 468 */ QT_TRANSLATE_NOOP3("Catalogue", " — это папка, а не файл: назовите файл в ней", "468"),
    /* 469 */ QT_TRANSLATE_NOOP3("Catalogue", "не последовательный порт (не терминал)", "469"),
    /* 470 */ QT_TRANSLATE_NOOP3("Catalogue", "на телефоне уже есть файл с этим именем", "470"),
    /* 471 */ QT_TRANSLATE_NOOP3("Catalogue", "пропущенные файлы уже есть на телефоне; чтобы заменить их, повторите команду с --overwrite", "471"),
    /* 472 */ QT_TRANSLATE_NOOP3("Catalogue", "Ссылка", "472"),
    /* 473 */ QT_TRANSLATE_NOOP3("Catalogue", "Ссылка в никуда", "473"),
    /* 474 */ QT_TRANSLATE_NOOP3("Catalogue", "Перейти к папке…", "474"),
    /* 475 */ QT_TRANSLATE_NOOP3("Catalogue", "Нет такой папки: ", "475"),
    /* 476 */ QT_TRANSLATE_NOOP3("Catalogue", "Отключить", "476"),
    /* 477 */ "",  // reserved
    /* 478 */ "",  // reserved
    /* 479 */ "",  // reserved
    /* 480 */ "",  // reserved
    /* 481 */ "",  // reserved
    /* 482 */ "",  // reserved
    /* 483 */ "",  // reserved
    /* 484 */ "",  // reserved
    /* 485 */ "",  // reserved
    /* 486 */ "",  // reserved
    /* 487 */ "",  // reserved
    /* 488 */ "",  // reserved
    /* 489 */ "",  // reserved
    /* 490 */ "",  // reserved
    /* 491 */ "",  // reserved
    /* 492 */ "",  // reserved
    /* 493 */ "",  // reserved
    /* 494 */ "",  // reserved
    /* 495 */ "",  // reserved
    /* 496 */ "",  // reserved
    /* 497 */ "",  // reserved
    /* 498 */ "",  // reserved
    /* 499 */ "",  // reserved
    // 500-599: contacts and messages.
    /* 500 */ QT_TRANSLATE_NOOP3("Catalogue", "Сообщение обрывается раньше своего конца", "500"),
    /* 501 */ QT_TRANSLATE_NOOP3("Catalogue", "Сообщение не в шестнадцатеричном виде", "501"),
    /* 502 */ QT_TRANSLATE_NOOP3("Catalogue", "Сообщение неизвестного вида", "502"),
    /* 503 */ QT_TRANSLATE_NOOP3("Catalogue", "Сжатый текст сообщения не читается", "503"),
    /* 504 */ QT_TRANSLATE_NOOP3("Catalogue", "Заголовок данных сообщения испорчен", "504"),
    /* 505 */ QT_TRANSLATE_NOOP3("Catalogue", "Адрес в сообщении испорчен", "505"),
    /* 506 */ QT_TRANSLATE_NOOP3("Catalogue", "Текст слишком длинный для SMS", "506"),
    /* 507 */ QT_TRANSLATE_NOOP3("Catalogue", "Двоичные данные, байт: ", "507"),
    /* 508 */ QT_TRANSLATE_NOOP3("Catalogue", "Сообщение доставлено", "508"),
    /* 509 */ QT_TRANSLATE_NOOP3("Catalogue", "Сообщение не читается: ", "509"),
    /* 510 */ QT_TRANSLATE_NOOP3("Catalogue", "В карточке нет номера телефона", "510"),
    /* 511 */ QT_TRANSLATE_NOOP3("Catalogue", "Карточка не закрыта строкой END:VCARD", "511"),
    /* 512 */ QT_TRANSLATE_NOOP3("Catalogue", "Неизвестная кодировка: ", "512"),
    /* 513 */ "",  // reserved
    /* 514 */ QT_TRANSLATE_NOOP3("Catalogue", "Испорченная строка в файле сообщений: ", "514"),
    /* 515 */ QT_TRANSLATE_NOOP3("Catalogue", "Не получены части: ", "515"),
    /* 516 */ QT_TRANSLATE_NOOP3("Catalogue", "Сообщение ещё не доставлено", "516"),
    /* 517 */ QT_TRANSLATE_NOOP3("Catalogue", "Сообщение не доставлено", "517"),
    /* 518 */ QT_TRANSLATE_NOOP3("Catalogue", "Текст не записывается 7-битным алфавитом GSM", "518"),
    /* 519 */ "",  // reserved
    /* 520 */ "",  // reserved
    /* 521 */ "",  // reserved
    /* 522 */ "",  // reserved
    /* 523 */ "",  // reserved
    /* 524 */ "",  // reserved
    /* 525 */ "",  // reserved
    /* 526 */ "",  // reserved
    /* 527 */ "",  // reserved
    /* 528 */ "",  // reserved
    /* 529 */ "",  // reserved
    /* 530 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон не отвечает на команды контактов и сообщений", "530"),
    /* 531 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон не знает ни одной кодировки, в которой можно читать имена", "531"),
    /* 532 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон не отдаёт контакты по кабелю", "532"),
    /* 533 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон не отдаёт сообщения по кабелю", "533"),
    /* 534 */ QT_TRANSLATE_NOOP3("Catalogue", "Телефон оборвал список на середине; ничего не сохранено", "534"),
    /* 535 */ QT_TRANSLATE_NOOP3("Catalogue", "Номер, который телефон не примет: ", "535"),
    /* 536 */ QT_TRANSLATE_NOOP3("Catalogue", "Номер длиннее, чем берёт память телефона: ", "536"),
    /* 537 */ QT_TRANSLATE_NOOP3("Catalogue", "Имя длиннее, чем берёт память телефона; знаков не больше ", "537"),
    /* 538 */ QT_TRANSLATE_NOOP3("Catalogue", "В имени есть знаки, которых телефон не примет: ", "538"),
    /* 539 */ QT_TRANSLATE_NOOP3("Catalogue", "Ячейка уже занята, запись не перезаписана: ", "539"),
    /* 540 */ QT_TRANSLATE_NOOP3("Catalogue", "Контакты", "540"),
    /* 541 */ QT_TRANSLATE_NOOP3("Catalogue", "Сообщения", "541"),
    /* 542 */ QT_TRANSLATE_NOOP3("Catalogue", "Нет такой памяти: ", "542"),
    /* 543 */ QT_TRANSLATE_NOOP3("Catalogue", "Нет такой подкоманды: ", "543"),
    /* 544 */ QT_TRANSLATE_NOOP3("Catalogue", "Номер ячейки должен быть числом: ", "544"),
    /* 545 */ QT_TRANSLATE_NOOP3("Catalogue", "В этой ячейке нет сообщения: ", "545"),
    /* 546 */ QT_TRANSLATE_NOOP3("Catalogue", "Записано: ", "546"),
    /* 547 */ QT_TRANSLATE_NOOP3("Catalogue", ", уже были в телефоне: ", "547"),
    /* 548 */ QT_TRANSLATE_NOOP3("Catalogue", "Уже есть в телефоне", "548"),
    /* 549 */ QT_TRANSLATE_NOOP3("Catalogue", "Память телефона заполнена", "549"),
    /* 550 */ QT_TRANSLATE_NOOP3("Catalogue", "Остановлено до записи", "550"),
    /* 551 */ QT_TRANSLATE_NOOP3("Catalogue", "Имя укорочено, в файле: ", "551"),
    /* 552 */ QT_TRANSLATE_NOOP3("Catalogue", "В файле есть имена длиннее, чем берёт память телефона. Укоротить их? «Нет» пропустит такие контакты.\n\nЗнаков не больше ", "552"),
    /* 553 */ QT_TRANSLATE_NOOP3("Catalogue", "Импорт контактов", "553"),
    /* 554 */ QT_TRANSLATE_NOOP3("Catalogue", "Длинные имена укоротит параметр --cut-names", "554"),
    /* 555 */ QT_TRANSLATE_NOOP3("Catalogue", "Запись контактов: ", "555"),
    /* 556 */ QT_TRANSLATE_NOOP3("Catalogue", "В файле нет ни одной карточки vCard: ", "556"),
    /* 557 */ QT_TRANSLATE_NOOP3("Catalogue", ", не записано: ", "557"),
    /* 558 */ QT_TRANSLATE_NOOP3("Catalogue", "Контакты записаны в память ", "558"),
    /* 559 */ QT_TRANSLATE_NOOP3("Catalogue", "Контакты сохранены: ", "559"),
    /* 560 */ QT_TRANSLATE_NOOP3("Catalogue", "Сообщения сохранены: ", "560"),
    /* 561 */ QT_TRANSLATE_NOOP3("Catalogue", "Контакты не сохранены: ", "561"),
    /* 562 */ QT_TRANSLATE_NOOP3("Catalogue", "Сообщения не сохранены: ", "562"),
    /* 563 */ QT_TRANSLATE_NOOP3("Catalogue", "Резервную копию без контактов и сообщений делает параметр --files-only", "563"),
    /* 564 */ QT_TRANSLATE_NOOP3("Catalogue", "В телефоне нет памяти контактов ", "564"),
    /* 565 */ QT_TRANSLATE_NOOP3("Catalogue", "Вернуть контакты, которых нет на телефоне; в копии: ", "565"),
    /* 566 */ QT_TRANSLATE_NOOP3("Catalogue", "В контакты копируются только файлы .vcf", "566"),
    /* 567 */ QT_TRANSLATE_NOOP3("Catalogue", "В сообщения файлы с компьютера не копируются", "567"),
    /* 568 */ QT_TRANSLATE_NOOP3("Catalogue", "Контакты не восстановлены: ", "568"),
    /* 569 */ "",  // reserved
    /* 570 */ "",  // reserved
    /* 571 */ "",  // reserved
    /* 572 */ QT_TRANSLATE_NOOP3("Catalogue", "Номер", "572"),
    /* 573 */ QT_TRANSLATE_NOOP3("Catalogue", "Память", "573"),
    /* 574 */ QT_TRANSLATE_NOOP3("Catalogue", "Отправитель", "574"),
    /* 575 */ QT_TRANSLATE_NOOP3("Catalogue", "Текст", "575"),
    /* 576 */ QT_TRANSLATE_NOOP3("Catalogue", "Чтение контактов: ", "576"),
    /* 577 */ QT_TRANSLATE_NOOP3("Catalogue", "Чтение сообщений: ", "577"),
    /* 578 */ QT_TRANSLATE_NOOP3("Catalogue", "запись|записи|записей", "578"),
    /* 579 */ QT_TRANSLATE_NOOP3("Catalogue", "Сообщение", "579"),
    /* 580 */ QT_TRANSLATE_NOOP3("Catalogue", "Сообщение не прочитано: ", "580"),
    /* 581 */ QT_TRANSLATE_NOOP3("Catalogue", "Отчёт о доставке", "581"),
    /* 582 */ QT_TRANSLATE_NOOP3("Catalogue", "Сохранено в ", "582"),
    /* 583 */ "",  // reserved
    /* 584 */ "",  // reserved
    /* 585 */ "",  // reserved
    /* 586 */ "",  // reserved
    /* 587 */ "",  // reserved
    /* 588 */ "",  // reserved
    /* 589 */ "",  // reserved
    /* 590 */ "",  // reserved
    /* 591 */ "",  // reserved
    /* 592 */ "",  // reserved
    /* 593 */ "",  // reserved
    /* 594 */ "",  // reserved
    /* 595 */ "",  // reserved
    /* 596 */ "",  // reserved
    /* 597 */ "",  // reserved
    /* 598 */ "",  // reserved
    /* 599 */ QT_TRANSLATE_NOOP3("Catalogue", "записан", "599"),
    // 600-619: the session.
    /* 600 */ QT_TRANSLATE_NOOP3("Catalogue", "записан, имя укорочено", "600"),
    /* 601 */ QT_TRANSLATE_NOOP3("Catalogue", "уже есть", "601"),
    /* 602 */ QT_TRANSLATE_NOOP3("Catalogue", "не принят", "602"),
    /* 603 */ QT_TRANSLATE_NOOP3("Catalogue", "нет места", "603"),
    /* 604 */ QT_TRANSLATE_NOOP3("Catalogue", "не начат", "604"),
    /* 605 */ QT_TRANSLATE_NOOP3("Catalogue", "сбой", "605"),
    /* 606 */ "",  // reserved
    /* 607 */ "",  // reserved
    /* 608 */ "",  // reserved
    /* 609 */ "",  // reserved
    /* 610 */ "",  // reserved
    /* 611 */ "",  // reserved
    /* 612 */ "",  // reserved
    /* 613 */ "",  // reserved
    /* 614 */ "",  // reserved
    /* 615 */ "",  // reserved
    /* 616 */ "",  // reserved
    /* 617 */ "",  // reserved
    /* 618 */ "",  // reserved
    /* 619 */ "",  // reserved
    // 620-649: languages and the package.
    /* 620 */ QT_TRANSLATE_NOOP3("Catalogue", "Язык / Language", "620"),
    /* 621 */ QT_TRANSLATE_NOOP3("Catalogue", "Как в системе", "621"),
    /* 622 */ QT_TRANSLATE_NOOP3("Catalogue", "Русский", "622"),
    /* 623 */ QT_TRANSLATE_NOOP3("Catalogue", "English", "623"),
    /* 624 */ QT_TRANSLATE_NOOP3("Catalogue", "Язык программы сменится при следующем запуске.", "624"),
    /* 625 */ {QT_TRANSLATE_N_NOOP3("Catalogue", "%n байт", "625"), "%n байт|%n байта|%n байт"},
    /* 626 */ {QT_TRANSLATE_N_NOOP3("Catalogue", "Удалить с телефона %n файлов?", "626"),
               "Удалить с телефона %n файл?|Удалить с телефона %n файла?|Удалить с телефона %n файлов?"},
    /* 627 */ "",  // reserved
    /* 628 */ "",  // reserved
    /* 629 */ "",  // reserved
    /* 630 */ "",  // reserved
    /* 631 */ "",  // reserved
    /* 632 */ "",  // reserved
    /* 633 */ "",  // reserved
    /* 634 */ "",  // reserved
    /* 635 */ "",  // reserved
    /* 636 */ "",  // reserved
    /* 637 */ "",  // reserved
    /* 638 */ "",  // reserved
    /* 639 */ "",  // reserved
    /* 640 */ "",  // reserved
    /* 641 */ "",  // reserved
    /* 642 */ "",  // reserved
    /* 643 */ "",  // reserved
    /* 644 */ "",  // reserved
    /* 645 */ "",  // reserved
    /* 646 */ "",  // reserved
    /* 647 */ "",  // reserved
    /* 648 */ "",  // reserved
    /* 649 */ "",  // reserved
};

constexpr int kCount = static_cast<int>(std::size(kSources));

using Texts = std::vector<std::string>;

const Texts& RussianTexts() {
    static const Texts texts = [] {
        Texts t;
        for (const Source& source : kSources) t.emplace_back(source.Text);
        return t;
    }();
    return texts;
}

// The table Msg() answers from. A table once made stays for the whole run, so a text a
// caller holds by reference never goes away when the language is set again.
std::atomic<const Texts*> g_current{nullptr};

const Texts& Current() {
    const Texts* texts = g_current.load(std::memory_order_acquire);
    return texts ? *texts : RussianTexts();
}

}  // namespace

const std::string& Msg(int number) {
    const Texts& table = Current();
    assert(number >= 0 && number < kCount);
    if (number < 0 || number >= kCount) {
        static const std::string empty;
        return empty;
    }
    return table[static_cast<size_t>(number)];
}

std::string MsgN(int number, int64_t count) {
    assert(number >= 0 && number < kCount);
    if (number < 0 || number >= kCount) return {};
    const Source& source = kSources[number];
    return Translate("Catalogue", source.Text, source.Number, count, source.Forms);
}

int MessageCount() { return kCount; }

const char* MessageSource(int number) {
    return number >= 0 && number < kCount ? kSources[number].Text : "";
}

bool MessageTranslatable(int number) {
    return number >= 0 && number < kCount && kSources[number].Number != nullptr;
}

void TranslateCatalogue(bool translated) {
    if (!translated) {
        g_current.store(&RussianTexts(), std::memory_order_release);
        return;
    }
    static std::mutex made;
    static std::vector<std::unique_ptr<Texts>> tables;
    auto texts = std::make_unique<Texts>();
    texts->reserve(kCount);
    for (const Source& source : kSources)
        texts->push_back(source.Number ? Translate("Catalogue", source.Text, source.Number)
                                       : std::string(source.Text));
    const std::lock_guard<std::mutex> lock(made);
    tables.push_back(std::move(texts));
    g_current.store(tables.back().get(), std::memory_order_release);
}

}  // namespace q7k3
