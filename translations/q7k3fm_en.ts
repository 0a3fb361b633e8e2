<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru_RU">
<context>
    <name>Catalogue</name>
    <message>
        <source>Время ожидания истекло</source>
        <comment>0</comment>
        <translation>Timed out</translation>
    </message>
    <message>
        <source>Невозможно открыть файл </source>
        <comment>1</comment>
        <translation>Cannot open the file </translation>
    </message>
    <message>
        <source>Ошибка контрольной суммы</source>
        <comment>2</comment>
        <translation>Checksum error</translation>
    </message>
    <message>
        <source>Ни одного JAR файла не найдено</source>
        <comment>3</comment>
        <translation>No JAR file found</translation>
    </message>
    <message>
        <source>Файл не найден</source>
        <comment>4</comment>
        <translation>File not found</translation>
    </message>
    <message>
        <source>Память заполнена</source>
        <comment>5</comment>
        <translation>Memory full</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <comment>6</comment>
        <translation>Error</translation>
    </message>
    <message>
        <source>Ваш телефон не пропатчен или Nand отформатирован<byte value="xd"/>
Вы хотите продолжить?</source>
        <comment>7</comment>
        <translation>Your phone is not patched or its NAND is formatted<byte value="xd"/>
Do you want to continue?</translation>
    </message>
    <message>
        <source>Внимание</source>
        <comment>8</comment>
        <translation>Attention</translation>
    </message>
    <message>
        <source>Файл </source>
        <comment>9</comment>
        <translation>File </translation>
    </message>
    <message>
        <source> слишком большой</source>
        <comment>10</comment>
        <translation> is too large</translation>
    </message>
    <message>
        <source>Нет места для мелодии по умолчанию. Пожалуйста удалите одну из них.</source>
        <comment>11</comment>
        <translation>No room for a default melody. Please delete one of them.</translation>
    </message>
    <message>
        <source>Ошибка конвертирования в mel</source>
        <comment>12</comment>
        <translation>Error converting to mel</translation>
    </message>
    <message>
        <source>Файл мелодии не опознан</source>
        <comment>13</comment>
        <translation>Melody file not recognised</translation>
    </message>
    <message>
        <source>Файл BMP не опознан</source>
        <comment>14</comment>
        <translation>BMP file not recognised</translation>
    </message>
    <message>
        <source>Ширина BMP файла должна быть не больше 128</source>
        <comment>15</comment>
        <translation>The BMP file must be at most 128 pixels wide</translation>
    </message>
    <message>
        <source>Нет места для EMS картинки. Пожалуйста удалите одну из них</source>
        <comment>16</comment>
        <translation>No room for an EMS picture. Please delete one of them</translation>
    </message>
    <message>
        <source>Нет места для EMS мелодии. Пожалуйста удалите одну из них</source>
        <comment>17</comment>
        <translation>No room for an EMS melody. Please delete one of them</translation>
    </message>
    <message>
        <source>Ошибка создания JAD файла</source>
        <comment>18</comment>
        <translation>Error creating the JAD file</translation>
    </message>
    <message>
        <source>Диск защищен от записи</source>
        <comment>19</comment>
        <translation>The disk is write-protected</translation>
    </message>
    <message>
        <source>Эта модель телефона не поддерживается</source>
        <comment>20</comment>
        <translation>This phone model is not supported</translation>
    </message>
    <message>
        <source>Телефон не отвечает</source>
        <comment>21</comment>
        <translation>The phone does not answer</translation>
    </message>
    <message>
        <source>Невозможно открыть порт</source>
        <comment>22</comment>
        <translation>Cannot open the port</translation>
    </message>
    <message>
        <source>Вы действительно хотите удалить </source>
        <comment>26</comment>
        <translation>Do you really want to delete </translation>
    </message>
    <message>
        <source> файлов?</source>
        <comment>27</comment>
        <translation> files?</translation>
    </message>
    <message>
        <source>Удаление</source>
        <comment>28</comment>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Ни одного ком порта не найдено</source>
        <comment>29</comment>
        <translation>No COM port found</translation>
    </message>
    <message>
        <source>Потеряна связь с телефоном</source>
        <comment>30</comment>
        <translation>Lost the link to the phone</translation>
    </message>
    <message>
        <source>Кэширование списка файлов</source>
        <comment>35</comment>
        <translation>Caching the file list</translation>
    </message>
    <message>
        <source>Инициализация программы</source>
        <comment>36</comment>
        <translation>Starting up</translation>
    </message>
    <message>
        <source>Копирование файла 1 из </source>
        <comment>37</comment>
        <translation>Copying file 1 of </translation>
    </message>
    <message>
        <source>Копирование файла </source>
        <comment>38</comment>
        <translation>Copying file </translation>
    </message>
    <message>
        <source> из </source>
        <comment>39</comment>
        <translation> of </translation>
    </message>
    <message>
        <source>Копирование на телефон </source>
        <comment>40</comment>
        <translation>Copying to the phone </translation>
    </message>
    <message>
        <source>Удаление </source>
        <comment>41</comment>
        <translation>Deleting </translation>
    </message>
    <message>
        <source>Удаление файла </source>
        <comment>42</comment>
        <translation>Deleting file </translation>
    </message>
    <message>
        <source>Удаление Thumbs...</source>
        <comment>43</comment>
        <translation>Deleting Thumbs...</translation>
    </message>
    <message>
        <source>Удаление файла 1 из </source>
        <comment>44</comment>
        <translation>Deleting file 1 of </translation>
    </message>
    <message>
        <source>Компилирование Java</source>
        <comment>45</comment>
        <translation>Compiling Java</translation>
    </message>
    <message>
        <source>Переименовывание файла </source>
        <comment>50</comment>
        <translation>Renaming file </translation>
    </message>
    <message>
        <source>Копирование файла во временную папку</source>
        <comment>51</comment>
        <translation>Copying the file to a temporary folder</translation>
    </message>
    <message>
        <source>Удаление файла</source>
        <comment>52</comment>
        <translation>Deleting the file</translation>
    </message>
    <message>
        <source>Копирование файла с новым именем</source>
        <comment>53</comment>
        <translation>Copying the file under its new name</translation>
    </message>
    <message>
        <source>Завершение операции</source>
        <comment>54</comment>
        <translation>Finishing the operation</translation>
    </message>
    <message>
        <source>Обновление папки </source>
        <comment>55</comment>
        <translation>Updating folder </translation>
    </message>
    <message>
        <source>Обновление текущей папки</source>
        <comment>56</comment>
        <translation>Updating the current folder</translation>
    </message>
    <message>
        <source>Введите краткое наименование</source>
        <comment>57</comment>
        <translation>Enter a short name</translation>
    </message>
    <message>
        <source>Переименовать</source>
        <comment>58</comment>
        <translation>Rename</translation>
    </message>
    <message>
        <source>Завершение текущей операции</source>
        <comment>59</comment>
        <translation>Finishing the current operation</translation>
    </message>
    <message>
        <source>Чтение </source>
        <comment>60</comment>
        <translation>Reading </translation>
    </message>
    <message>
        <source>Просмотр </source>
        <comment>61</comment>
        <translation>Viewing </translation>
    </message>
    <message>
        <source>Обновление списка файлов</source>
        <comment>62</comment>
        <translation>Updating the file list</translation>
    </message>
    <message>
        <source>Анализ списка файлов</source>
        <comment>63</comment>
        <translation>Analysing the file list</translation>
    </message>
    <message>
        <source>Удаляем suites.utf</source>
        <comment>64</comment>
        <translation>Erasing suites.utf</translation>
    </message>
    <message>
        <source>Удаляем suitesName.utf</source>
        <comment>65</comment>
        <translation>Erasing suitesName.utf</translation>
    </message>
    <message>
        <source>Запись suites.utf</source>
        <comment>66</comment>
        <translation>Writing suites.utf</translation>
    </message>
    <message>
        <source>Запись suitesName.utf</source>
        <comment>67</comment>
        <translation>Writing suitesName.utf</translation>
    </message>
    <message>
        <source>Обновление папки Java</source>
        <comment>68</comment>
        <translation>Updating the Java folder</translation>
    </message>
    <message>
        <source>Передача данных... </source>
        <comment>69</comment>
        <translation>Transferring data... </translation>
    </message>
    <message>
        <source>КБ/сек</source>
        <comment>70</comment>
        <translation>KB/s</translation>
    </message>
    <message>
        <source> КБ из </source>
        <comment>71</comment>
        <translation> KB of </translation>
    </message>
    <message>
        <source> KБ,Файлов: </source>
        <comment>72</comment>
        <translation> KB, Files: </translation>
    </message>
    <message>
        <source>Свободно </source>
        <comment>73</comment>
        <translation>Free </translation>
    </message>
    <message>
        <source> KB из 13104 KB</source>
        <comment>74</comment>
        <translation> KB of 13104 KB</translation>
    </message>
    <message>
        <source> МБ из </source>
        <comment>75</comment>
        <translation> MB of </translation>
    </message>
    <message>
        <source> МБ</source>
        <comment>76</comment>
        <translation> MB</translation>
    </message>
    <message>
        <source> </source>
        <comment>77</comment>
        <translation> </translation>
    </message>
    <message>
        <source>Кэширование файлов было прервано.<byte value="xd"/>
Свободное место на телефоне отображается неправильно</source>
        <comment>78</comment>
        <translation>Caching the files was aborted.<byte value="xd"/>
The free space on the phone is not shown correctly</translation>
    </message>
    <message>
        <source>Телефон прислал ответ, который невозможно прочитать</source>
        <comment>79</comment>
        <translation>The phone sent an answer that cannot be read</translation>
    </message>
    <message>
        <source>Невозможно сохранить настройки</source>
        <comment>80</comment>
        <translation>Cannot save the settings</translation>
    </message>
    <message>
        <source>Файл возвращён на телефон под прежним именем </source>
        <comment>90</comment>
        <translation>The file is back on the phone under its old name </translation>
    </message>
    <message>
        <source>Файл сохранён в папке </source>
        <comment>91</comment>
        <translation>The file was kept in the folder </translation>
    </message>
    <message>
        <source>Невозможно удалить файл </source>
        <comment>92</comment>
        <translation>Cannot delete the file </translation>
    </message>
    <message>
        <source>Недопустимое имя файла </source>
        <comment>93</comment>
        <translation>Invalid file name </translation>
    </message>
    <message>
        <source>Последовательные порты</source>
        <comment>110</comment>
        <translation>Serial ports</translation>
    </message>
    <message>
        <source>Почему нет порта?</source>
        <comment>111</comment>
        <translation>Why is there no port?</translation>
    </message>
    <message>
        <source>открывается</source>
        <comment>112</comment>
        <translation>opens</translation>
    </message>
    <message>
        <source>открывается, но его также держит открытым </source>
        <comment>113</comment>
        <translation>opens, but is also held open by </translation>
    </message>
    <message>
        <source>нет прав доступа; порт принадлежит группе </source>
        <comment>114</comment>
        <translation>no access rights; the port belongs to the group </translation>
    </message>
    <message>
        <source>Добавьте себя в эту группу и войдите в систему заново:</source>
        <comment>115</comment>
        <translation>Add yourself to that group and log in again:</translation>
    </message>
    <message>
        <source>Дайте доступ к порту (до его переподключения):</source>
        <comment>116</comment>
        <translation>Give access to the port (until it is plugged in again):</translation>
    </message>
    <message>
        <source>занят программой </source>
        <comment>117</comment>
        <translation>held by the program </translation>
    </message>
    <message>
        <source>занят другой программой</source>
        <comment>118</comment>
        <translation>held by another program</translation>
    </message>
    <message>
        <source>занят ModemManager</source>
        <comment>119</comment>
        <translation>held by ModemManager</translation>
    </message>
    <message>
        <source>Чтобы ModemManager не занимал порт, добавьте в файл /etc/udev/rules.d/99-q7k3fm.rules строку:</source>
        <comment>120</comment>
        <translation>To keep ModemManager off the port, add this line to the file /etc/udev/rules.d/99-q7k3fm.rules:</translation>
    </message>
    <message>
        <source>Затем выполните sudo udevadm control --reload-rules и подключите телефон заново.</source>
        <comment>121</comment>
        <translation>Then run sudo udevadm control --reload-rules and plug the phone in again.</translation>
    </message>
    <message>
        <source>не открывается: </source>
        <comment>122</comment>
        <translation>does not open: </translation>
    </message>
    <message>
        <source>Последовательных портов не найдено</source>
        <comment>123</comment>
        <translation>No serial ports found</translation>
    </message>
    <message>
        <source>Трасса обмена</source>
        <comment>124</comment>
        <translation>Protocol trace</translation>
    </message>
    <message>
        <source>Выключено</source>
        <comment>125</comment>
        <translation>Off</translation>
    </message>
    <message>
        <source>Включено</source>
        <comment>126</comment>
        <translation>On</translation>
    </message>
    <message>
        <source>Обмен с телефоном записывается в файл </source>
        <comment>127</comment>
        <translation>The exchange with the phone is written to the file </translation>
    </message>
    <message>
        <source>Закрыть</source>
        <comment>128</comment>
        <translation>Close</translation>
    </message>
    <message>
        <source>Этот формат мелодии не поддерживается</source>
        <comment>130</comment>
        <translation>This melody format is not supported</translation>
    </message>
    <message>
        <source>Не найден звуковой банк для проигрывания мелодий</source>
        <comment>131</comment>
        <translation>No soundfont found to play melodies with</translation>
    </message>
    <message>
        <source>Контрольная сумма мелодии не совпадает</source>
        <comment>132</comment>
        <translation>The melody&apos;s checksum does not match</translation>
    </message>
    <message>
        <source>Ошибка компиляции Файл </source>
        <comment>140</comment>
        <translation>Compile error: file </translation>
    </message>
    <message>
        <source> не найден</source>
        <comment>141</comment>
        <translation> not found</translation>
    </message>
    <message>
        <source>Ошибка компиляции: имя слишком длинное для suites.utf: </source>
        <comment>142</comment>
        <translation>Compile error: a name too long for suites.utf: </translation>
    </message>
    <message>
        <source>Ошибка компиляции: список Java приложений длиннее 4100 байт и не помещается в suites.utf</source>
        <comment>143</comment>
        <translation>Compile error: the list of Java applications is longer than 4100 bytes and does not fit in suites.utf</translation>
    </message>
    <message>
        <source><byte value="xd"/>
На телефоне восстановлен прежний suites.utf.</source>
        <comment>144</comment>
        <translation><byte value="xd"/>
The old suites.utf was put back on the phone.</translation>
    </message>
    <message>
        <source><byte value="xd"/>
На телефоне сейчас нет файла suites.utf.</source>
        <comment>145</comment>
        <translation><byte value="xd"/>
The phone has no suites.utf now.</translation>
    </message>
    <message>
        <source><byte value="xd"/>
На телефоне записан новый suites.utf.</source>
        <comment>146</comment>
        <translation><byte value="xd"/>
A new suites.utf was written to the phone.</translation>
    </message>
    <message>
        <source><byte value="xd"/>
На телефоне сейчас нет файла suitesName.utf.</source>
        <comment>147</comment>
        <translation><byte value="xd"/>
The phone has no suitesName.utf now.</translation>
    </message>
    <message>
        <source><byte value="xd"/>
Запустите компиляцию Java ещё раз.</source>
        <comment>148</comment>
        <translation><byte value="xd"/>
Run the Java compile again.</translation>
    </message>
    <message>
        <source>Резервная копия телефона</source>
        <comment>150</comment>
        <translation>Phone backup</translation>
    </message>
    <message>
        <source>Восстановление из резервной копии</source>
        <comment>151</comment>
        <translation>Restoring from a backup</translation>
    </message>
    <message>
        <source>Проверка резервной копии</source>
        <comment>152</comment>
        <translation>Verifying a backup</translation>
    </message>
    <message>
        <source>Чтение папки </source>
        <comment>153</comment>
        <translation>Reading folder </translation>
    </message>
    <message>
        <source> КБ</source>
        <comment>154</comment>
        <translation> KB</translation>
    </message>
    <message>
        <source>, осталось </source>
        <comment>155</comment>
        <translation>, time left </translation>
    </message>
    <message>
        <source>В папке нет резервной копии: </source>
        <comment>156</comment>
        <translation>The folder holds no backup: </translation>
    </message>
    <message>
        <source>Опись резервной копии повреждена: </source>
        <comment>157</comment>
        <translation>The backup&apos;s manifest is damaged: </translation>
    </message>
    <message>
        <source>Невозможно создать папку </source>
        <comment>158</comment>
        <translation>Cannot create the folder </translation>
    </message>
    <message>
        <source>Память телефона заполнена, восстановление остановлено. Восстановлено файлов: </source>
        <comment>159</comment>
        <translation>The phone&apos;s memory is full, the restore stopped. Files restored: </translation>
    </message>
    <message>
        <source>Восстановлены: </source>
        <comment>160</comment>
        <translation>Restored: </translation>
    </message>
    <message>
        <source>Не восстановлены: </source>
        <comment>161</comment>
        <translation>Not restored: </translation>
    </message>
    <message>
        <source>На телефоне нет папки </source>
        <comment>162</comment>
        <translation>The phone has no folder </translation>
    </message>
    <message>
        <source>Файл резервной копии повреждён: </source>
        <comment>163</comment>
        <translation>A backup file is damaged: </translation>
    </message>
    <message>
        <source>Нет на телефоне: </source>
        <comment>164</comment>
        <translation>Missing on the phone: </translation>
    </message>
    <message>
        <source>Изменён на телефоне: </source>
        <comment>165</comment>
        <translation>Changed on the phone: </translation>
    </message>
    <message>
        <source>Нет в резервной копии: </source>
        <comment>166</comment>
        <translation>Not in the backup: </translation>
    </message>
    <message>
        <source>Не совпадает контрольная сумма: </source>
        <comment>167</comment>
        <translation>Checksum differs: </translation>
    </message>
    <message>
        <source>Резервная копия совпадает с телефоном</source>
        <comment>168</comment>
        <translation>The backup matches the phone</translation>
    </message>
    <message>
        <source>Скопировано файлов: </source>
        <comment>169</comment>
        <translation>Files copied: </translation>
    </message>
    <message>
        <source>неизвестный параметр </source>
        <comment>170</comment>
        <translation>unknown option </translation>
    </message>
    <message>
        <source>параметру нужно значение: </source>
        <comment>171</comment>
        <translation>the option needs a value: </translation>
    </message>
    <message>
        <source>параметр не принимает значения: </source>
        <comment>172</comment>
        <translation>the option takes no value: </translation>
    </message>
    <message>
        <source>неизвестная команда </source>
        <comment>173</comment>
        <translation>unknown command </translation>
    </message>
    <message>
        <source>; может быть, </source>
        <comment>174</comment>
        <translation>; did you mean </translation>
    </message>
    <message>
        <source>лишний аргумент </source>
        <comment>175</comment>
        <translation>extra argument </translation>
    </message>
    <message>
        <source>не хватает аргументов: </source>
        <comment>176</comment>
        <translation>missing arguments: </translation>
    </message>
    <message>
        <source>подробнее: q7k3fm-cli help </source>
        <comment>177</comment>
        <translation>see: q7k3fm-cli help </translation>
    </message>
    <message>
        <source>недопустимое значение </source>
        <comment>178</comment>
        <translation>invalid value </translation>
    </message>
    <message>
        <source>локальный файл уже есть (--force заменит его): </source>
        <comment>179</comment>
        <translation>the local file exists (--force replaces it): </translation>
    </message>
    <message>
        <source>входной файл не того вида, ожидался </source>
        <comment>180</comment>
        <translation>the input file is of the wrong kind, expected </translation>
    </message>
    <message>
        <source>на телефоне уже есть файл (--overwrite заменит его): </source>
        <comment>181</comment>
        <translation>the phone already has the file (--overwrite replaces it): </translation>
    </message>
    <message>
        <source>MEL (32 байта названия, затем мелодия MMMD)</source>
        <comment>182</comment>
        <translation>MEL (a 32-byte title, then an MMMD melody)</translation>
    </message>
    <message>
        <source>MMF (мелодия, начинается с MMMD)</source>
        <comment>183</comment>
        <translation>MMF (a melody that starts with MMMD)</translation>
    </message>
    <message>
        <source>ANI (картинка телефона, по 2 байта на точку)</source>
        <comment>184</comment>
        <translation>ANI (a phone picture, 2 bytes a pixel)</translation>
    </message>
    <message>
        <source>картинка BMP, JPEG, GIF или PNG</source>
        <comment>185</comment>
        <translation>a BMP, JPEG, GIF or PNG picture</translation>
    </message>
    <message>
        <source>EMS-картинка</source>
        <comment>186</comment>
        <translation>an EMS picture</translation>
    </message>
    <message>
        <source>мелодия iMelody (BEGIN:IMELODY)</source>
        <comment>187</comment>
        <translation>an iMelody melody (BEGIN:IMELODY)</translation>
    </message>
    <message>
        <source>EMS-мелодия</source>
        <comment>188</comment>
        <translation>an EMS melody</translation>
    </message>
    <message>
        <source>архив JAR</source>
        <comment>189</comment>
        <translation>a JAR archive</translation>
    </message>
    <message>
        <source>вид преобразования не назван и не угадывается по расширениям: </source>
        <comment>190</comment>
        <translation>no conversion named, and none guessed from the extensions: </translation>
    </message>
    <message>
        <source>нет такой папки телефона: </source>
        <comment>191</comment>
        <translation>no such phone folder: </translation>
    </message>
    <message>
        <source>нет такого локального файла: </source>
        <comment>192</comment>
        <translation>no such local file: </translation>
    </message>
    <message>
        <source>такое имя на телефоне потом не назвать путём: </source>
        <comment>193</comment>
        <translation>no path could name this phone name again: </translation>
    </message>
    <message>
        <source>прервано: запись доводится до конца, и телефон отвергнет недописанный файл (ещё Ctrl+C — выйти сразу)</source>
        <comment>194</comment>
        <translation>interrupted: the write is being brought to its end, and the phone will refuse the unfinished file (Ctrl+C again to quit at once)</translation>
    </message>
    <message>
        <source>имя подходит к нескольким: </source>
        <comment>195</comment>
        <translation>the name fits several: </translation>
    </message>
    <message>
        <source>порт: </source>
        <comment>196</comment>
        <translation>port: </translation>
    </message>
    <message>
        <source>модель: </source>
        <comment>197</comment>
        <translation>model: </translation>
    </message>
    <message>
        <source>несколько файлов кладутся в локальную папку: </source>
        <comment>198</comment>
        <translation>several files go into a local folder: </translation>
    </message>
    <message>
        <source>по правилам папок файл преобразуется: назовите локальную папку или дайте --raw</source>
        <comment>199</comment>
        <translation>the folder rules convert the file: name a local folder, or give --raw</translation>
    </message>
    <message>
        <source>Телефон не подключен: Файл → Подключить</source>
        <comment>200</comment>
        <translation>No phone connected: File → Connect</translation>
    </message>
    <message>
        <source>Подключить</source>
        <comment>201</comment>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Отметить</source>
        <comment>202</comment>
        <translation>Mark</translation>
    </message>
    <message>
        <source>Снять отметку</source>
        <comment>203</comment>
        <translation>Unmark</translation>
    </message>
    <message>
        <source>Шаблон имён:</source>
        <comment>204</comment>
        <translation>Name pattern:</translation>
    </message>
    <message>
        <source>Открыть</source>
        <comment>205</comment>
        <translation>Open</translation>
    </message>
    <message>
        <source>Открыть программой системы</source>
        <comment>206</comment>
        <translation>Open with the desktop&apos;s program</translation>
    </message>
    <message>
        <source>Резервная копия телефона…</source>
        <comment>210</comment>
        <translation>Back up the phone…</translation>
    </message>
    <message>
        <source>Восстановить из копии…</source>
        <comment>211</comment>
        <translation>Restore from a backup…</translation>
    </message>
    <message>
        <source>Проверить копию…</source>
        <comment>212</comment>
        <translation>Verify a backup…</translation>
    </message>
    <message>
        <source>Папка резервной копии</source>
        <comment>213</comment>
        <translation>Backup folder</translation>
    </message>
    <message>
        <source>Что восстановить</source>
        <comment>214</comment>
        <translation>What to restore</translation>
    </message>
    <message>
        <source>Сверить и содержимое файлов (телефон читается целиком, это дольше)</source>
        <comment>215</comment>
        <translation>Compare the files&apos; contents too (reads the whole phone, takes longer)</translation>
    </message>
    <message>
        <source>Проверка прервана: сверено не всё.</source>
        <comment>216</comment>
        <translation>Verify aborted: not everything was compared.</translation>
    </message>
    <message>
        <source>, без изменений: </source>
        <comment>217</comment>
        <translation>, unchanged: </translation>
    </message>
    <message>
        <source>Резервная копия прервана. Следующий запуск продолжит её с того же места.</source>
        <comment>218</comment>
        <translation>Backup aborted. The next run goes on from where it stopped.</translation>
    </message>
    <message>
        <source>Восстановлено файлов: </source>
        <comment>219</comment>
        <translation>Files restored: </translation>
    </message>
    <message>
        <source>Телефон отвечает, но не завершает ответ</source>
        <comment>220</comment>
        <translation>The phone answers but never finishes its answer</translation>
    </message>
    <message>
        <source>Телефон присылает данные, но не ответ: помехи на линии или неверная скорость порта</source>
        <comment>221</comment>
        <translation>The phone sends data but no answer: noise on the line or a wrong port speed</translation>
    </message>
    <message>
        <source>Операция прервана</source>
        <comment>222</comment>
        <translation>Operation aborted</translation>
    </message>
    <message>
        <source>На телефоне больше 4096 папок: показаны только первые 4096</source>
        <comment>223</comment>
        <translation>The phone has more than 4096 folders: only the first 4096 are shown</translation>
    </message>
    <message>
        <source>не найден</source>
        <comment>224</comment>
        <translation>not found</translation>
    </message>
    <message>
        <source>Новый файл записан на телефон под временным именем </source>
        <comment>245</comment>
        <translation>The new file was written to the phone under the temporary name </translation>
    </message>
    <message>
        <source>На телефоне остался временный файл </source>
        <comment>246</comment>
        <translation>A temporary file was left on the phone: </translation>
    </message>
    <message>
        <source>Порт телефона пропал (кабель отсоединён или устройство отключено): </source>
        <comment>250</comment>
        <translation>The phone&apos;s port went away (cable unplugged or device switched off): </translation>
    </message>
    <message>
        <source>Телефон занят: дождитесь конца текущей операции</source>
        <comment>251</comment>
        <translation>The phone is busy: wait until the current operation ends</translation>
    </message>
    <message>
        <source>Нет звукового устройства</source>
        <comment>300</comment>
        <translation>No sound device</translation>
    </message>
    <message>
        <source>Звук мелодии записан в кодировке, которую проигрыватель не воспроизводит: он не прозвучит</source>
        <comment>301</comment>
        <translation>The melody&apos;s sound is in a coding the player does not play: it stays silent</translation>
    </message>
    <message>
        <source>Мелодия длиннее 500 байт и не поместится в SMS</source>
        <comment>302</comment>
        <translation>The melody is longer than 500 bytes and does not fit in an SMS</translation>
    </message>
    <message>
        <source>В архиве JAR нет манифеста META-INF/MANIFEST.MF</source>
        <comment>303</comment>
        <translation>The JAR archive has no manifest META-INF/MANIFEST.MF</translation>
    </message>
    <message>
        <source>Удалить с телефона </source>
        <comment>320</comment>
        <translation>Delete from the phone </translation>
    </message>
    <message>
        <source>«</source>
        <comment>321</comment>
        <translation>“</translation>
    </message>
    <message>
        <source>»?</source>
        <comment>322</comment>
        <translation>”?</translation>
    </message>
    <message>
        <source>Телефон ответил OK, не приняв файл целиком: </source>
        <comment>323</comment>
        <translation>The phone answered OK without taking the whole file: </translation>
    </message>
    <message>
        <source>Пропущены (уже есть на телефоне): </source>
        <comment>324</comment>
        <translation>Skipped (already on the phone): </translation>
    </message>
    <message>
        <source>Стандартный ввод длиннее, чем может принять телефон: больше </source>
        <comment>325</comment>
        <translation>Standard input is longer than the phone can take: more than </translation>
    </message>
    <message>
        <source> байт</source>
        <comment>326</comment>
        <translation> bytes</translation>
    </message>
    <message>
        <source>Не удалось сохранить стандартный ввод: </source>
        <comment>327</comment>
        <translation>Could not save standard input: </translation>
    </message>
    <message>
        <source>Путь ведёт через символическую ссылку, отказано: </source>
        <comment>328</comment>
        <translation>The path leads through a symbolic link, refused: </translation>
    </message>
    <message>
        <source>Замена файла, прерванная в прошлый раз, завершена: </source>
        <comment>329</comment>
        <translation>A replacement interrupted last time was finished: </translation>
    </message>
    <message>
        <source>Удалён временный файл прерванной замены: </source>
        <comment>330</comment>
        <translation>Erased the temporary file of an interrupted replacement: </translation>
    </message>
    <message>
        <source>Нет на телефоне: </source>
        <comment>331</comment>
        <translation>Missing on the phone: </translation>
    </message>
    <message>
        <source>нет на телефоне</source>
        <comment>332</comment>
        <translation>missing on the phone</translation>
    </message>
    <message>
        <source>Слишком длинное имя (в этой папке телефона не больше </source>
        <comment>333</comment>
        <translation>Name too long (this phone folder takes at most </translation>
    </message>
    <message>
        <source> байт): </source>
        <comment>334</comment>
        <translation> bytes): </translation>
    </message>
    <message>
        <source> сохранён как </source>
        <comment>335</comment>
        <translation> saved as </translation>
    </message>
    <message>
        <source>: имя </source>
        <comment>336</comment>
        <translation>: the name </translation>
    </message>
    <message>
        <source> уже получил другой файл этой же команды</source>
        <comment>337</comment>
        <translation> was already given to another file of this command</translation>
    </message>
    <message>
        <source>Не сохранены: телефон не отдаёт файлы под этими именами (длиннее 64 знаков или с кавычкой): </source>
        <comment>338</comment>
        <translation>Not saved: the phone does not give out files under these names (longer than 64 characters, or with a quote): </translation>
    </message>
    <message>
        <source>Пустой файл не скопирован (телефон не показывает файлы нулевой длины): </source>
        <comment>339</comment>
        <translation>Empty file not copied (the phone does not show files of length zero): </translation>
    </message>
    <message>
        <source> записан на телефон как </source>
        <comment>340</comment>
        <translation> written to the phone as </translation>
    </message>
    <message>
        <source>Стёртое до обрыва связи сохранено на компьютере и будет записано на телефон при следующем подключении: </source>
        <comment>341</comment>
        <translation>What was erased before the link broke is kept on the computer and will be written to the phone at the next connection: </translation>
    </message>
    <message>
        <source>порт телефона не задан: назовите его параметром --port ПУТЬ или переменной Q7K3FM_PORT; какие порты есть, покажет q7k3fm-cli ports</source>
        <comment>350</comment>
        <translation>no phone port set: name it with --port PATH or the variable Q7K3FM_PORT; q7k3fm-cli ports shows which ports there are</translation>
    </message>
    <message>
        <source>проверьте кабель и что телефон включён; другой порт задаётся параметром --port ПУТЬ или переменной Q7K3FM_PORT, все порты и их состояние покажет q7k3fm-cli ports</source>
        <comment>351</comment>
        <translation>check the cable and that the phone is switched on; another port is given with --port PATH or the variable Q7K3FM_PORT, q7k3fm-cli ports shows every port and its state</translation>
    </message>
    <message>
        <source>Порт: </source>
        <comment>352</comment>
        <translation>Port: </translation>
    </message>
    <message>
        <source>Проверьте кабель и что телефон включён.</source>
        <comment>353</comment>
        <translation>Check the cable and that the phone is switched on.</translation>
    </message>
    <message>
        <source>Порт выбирается в Файл → Настройки; кнопка «?» там показывает состояние каждого порта.</source>
        <comment>354</comment>
        <translation>The port is chosen in File → Settings; its &quot;?&quot; button shows the state of each port.</translation>
    </message>
    <message>
        <source>Телефон отказался выполнить команду (ответил ERROR)</source>
        <comment>355</comment>
        <translation>The phone refused the command (it answered ERROR)</translation>
    </message>
    <message>
        <source>на диске нет места</source>
        <comment>356</comment>
        <translation>no space left on the disk</translation>
    </message>
    <message>
        <source>диск только для чтения</source>
        <comment>357</comment>
        <translation>the disk is read-only</translation>
    </message>
    <message>
        <source>нет прав на запись в папку </source>
        <comment>358</comment>
        <translation>no right to write to the folder </translation>
    </message>
    <message>
        <source>нет прав на чтение</source>
        <comment>359</comment>
        <translation>no right to read</translation>
    </message>
    <message>
        <source>это папка, а не файл</source>
        <comment>360</comment>
        <translation>it is a folder, not a file</translation>
    </message>
    <message>
        <source>это не обычный файл, а канал или устройство</source>
        <comment>361</comment>
        <translation>it is not a regular file but a pipe or a device</translation>
    </message>
    <message>
        <source>нет такой папки</source>
        <comment>362</comment>
        <translation>no such folder</translation>
    </message>
    <message>
        <source>нет такого файла</source>
        <comment>363</comment>
        <translation>no such file</translation>
    </message>
    <message>
        <source>системная ошибка </source>
        <comment>364</comment>
        <translation>system error </translation>
    </message>
    <message>
        <source>Невозможно записать в папку </source>
        <comment>365</comment>
        <translation>Cannot write to the folder </translation>
    </message>
    <message>
        <source>это файл, а не папка</source>
        <comment>366</comment>
        <translation>it is a file, not a folder</translation>
    </message>
    <message>
        <source>, исчезли с телефона за это время: </source>
        <comment>368</comment>
        <translation>, gone from the phone meanwhile: </translation>
    </message>
    <message>
        <source>восстановлен</source>
        <comment>369</comment>
        <translation>restored</translation>
    </message>
    <message>
        <source>не восстановлен</source>
        <comment>370</comment>
        <translation>not restored</translation>
    </message>
    <message>
        <source>в копии нет файлов, подходящих под --folder и --match</source>
        <comment>371</comment>
        <translation>the backup holds no files that match --folder and --match</translation>
    </message>
    <message>
        <source>эта папка есть только в программе и файлов не хранит: </source>
        <comment>372</comment>
        <translation>this folder exists only in the program and holds no files: </translation>
    </message>
    <message>
        <source>невозможно записать трассу обмена в файл </source>
        <comment>373</comment>
        <translation>cannot write the protocol trace to the file </translation>
    </message>
    <message>
        <source> (сохранён в настройках)</source>
        <comment>374</comment>
        <translation> (stored in the settings)</translation>
    </message>
    <message>
        <source> (из переменной Q7K3FM_PORT)</source>
        <comment>375</comment>
        <translation> (from the variable Q7K3FM_PORT)</translation>
    </message>
    <message>
        <source>Вызов: q7k3fm (своих параметров нет: порт телефона выбирается в окне, Файл → Настройки)</source>
        <comment>376</comment>
        <translation>Usage: q7k3fm (no options of its own: the phone&apos;s port is chosen in the window, File → Settings)</translation>
    </message>
    <message>
        <source>Дата</source>
        <comment>377</comment>
        <translation>Date</translation>
    </message>
    <message>
        <source>пропущен</source>
        <comment>378</comment>
        <translation>skipped</translation>
    </message>
    <message>
        <source>Найти телефон</source>
        <comment>400</comment>
        <translation>Find phone</translation>
    </message>
    <message>
        <source>Остановить</source>
        <comment>401</comment>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Поиск телефона</source>
        <comment>402</comment>
        <translation>Phone search</translation>
    </message>
    <message>
        <source>телефон </source>
        <comment>403</comment>
        <translation>phone </translation>
    </message>
    <message>
        <source>модель телефона не поддерживается: </source>
        <comment>404</comment>
        <translation>phone model not supported: </translation>
    </message>
    <message>
        <source>отвечает как модем, но это не телефон SGH</source>
        <comment>405</comment>
        <translation>answers as a modem, but is no SGH phone</translation>
    </message>
    <message>
        <source>не отвечает</source>
        <comment>406</comment>
        <translation>does not answer</translation>
    </message>
    <message>
        <source>отвечает, но не на команды AT</source>
        <comment>407</comment>
        <translation>answers, but not to AT commands</translation>
    </message>
    <message>
        <source>проверка остановлена</source>
        <comment>408</comment>
        <translation>check stopped</translation>
    </message>
    <message>
        <source> бит/с</source>
        <comment>409</comment>
        <translation> bit/s</translation>
    </message>
    <message>
        <source>Телефон не найден ни на одном порту</source>
        <comment>410</comment>
        <translation>No phone found on any port</translation>
    </message>
    <message>
        <source>Найдено несколько телефонов: выберите один из них</source>
        <comment>411</comment>
        <translation>Several phones found: choose one of them</translation>
    </message>
    <message>
        <source>Телефон найден: </source>
        <comment>412</comment>
        <translation>Phone found: </translation>
    </message>
    <message>
        <source>Подключён телефон </source>
        <comment>413</comment>
        <translation>A phone was plugged in: </translation>
    </message>
    <message>
        <source>. Подключиться к нему?</source>
        <comment>414</comment>
        <translation>. Connect to it?</translation>
    </message>
    <message>
        <source>Телефон не найден на порту </source>
        <comment>415</comment>
        <translation>No phone found on the port </translation>
    </message>
    <message>
        <source>. «Найти телефон» проверит все порты.</source>
        <comment>416</comment>
        <translation>. &quot;Find phone&quot; checks every port.</translation>
    </message>
    <message>
        <source>найдено несколько телефонов; укажите один из них: --port ПУТЬ</source>
        <comment>417</comment>
        <translation>several phones found; name one of them: --port PATH</translation>
    </message>
    <message>
        <source>Выбрать</source>
        <comment>418</comment>
        <translation>Choose</translation>
    </message>
    <message>
        <source>Проверить все порты и найти, на каком из них телефон</source>
        <comment>419</comment>
        <translation>Check every port and find the one the phone is on</translation>
    </message>
    <message>
        <source>Язык / Language</source>
        <comment>620</comment>
        <translation>Language</translation>
    </message>
    <message>
        <source>Как в системе</source>
        <comment>621</comment>
        <translation>System language</translation>
    </message>
    <message>
        <source>Русский</source>
        <comment>622</comment>
        <translation>Russian</translation>
    </message>
    <message>
        <source>English</source>
        <comment>623</comment>
        <translation>English</translation>
    </message>
    <message>
        <source>Язык программы сменится при следующем запуске.</source>
        <comment>624</comment>
        <translation>The language changes when the program is started again.</translation>
    </message>
    <message>
        <source>Запись файла, прерванная в прошлый раз на другом телефоне этой модели, ждёт его подключения: </source>
        <comment>420</comment>
        <translation>A file write interrupted last time on another phone of this model waits for that phone: </translation>
    </message>
    <message>
        <source>Программа не может узнать по серийному номеру, на этом ли телефоне прервалась в прошлый раз запись файла </source>
        <comment>421</comment>
        <translation>The program cannot tell by the serial number whether this is the phone on which a file write was interrupted last time: </translation>
    </message>
    <message>
        <source>. Завершить её на этом телефоне?</source>
        <comment>422</comment>
        <translation>. Finish it on this phone?</translation>
    </message>
    <message>
        <source>; если это тот же телефон, дайте команду ещё раз с параметром --same-phone (до тех пор запись ждёт)</source>
        <comment>423</comment>
        <translation>; if it is the same phone, give the command again with --same-phone (until then the write waits)</translation>
    </message>
    <message>
        <source>Переименование файла, прерванное в прошлый раз, завершено: </source>
        <comment>425</comment>
        <translation>A rename interrupted last time was finished: </translation>
    </message>
    <message>
        <source> [д/н] </source>
        <comment>426</comment>
        <translation> [y/n] </translation>
    </message>
    <message>
        <source>Файл записан под новым именем, но прежнее имя стереть не удалось: </source>
        <comment>427</comment>
        <translation>The file was written under its new name, but the old name could not be erased: </translation>
    </message>
    <message>
        <source>Недописанный файл, оставленный прерванным копированием (его уберёт следующее копирование в эту папку): </source>
        <comment>428</comment>
        <translation>A part file left by an interrupted copy (the next copy into this folder removes it): </translation>
    </message>
    <message>
        <source>Не сохранены временные файлы записи, прерванной в прошлый раз (её завершит следующее подключение того телефона): </source>
        <comment>429</comment>
        <translation>Not saved: the temporary files of a write interrupted last time (the next connection of that phone finishes it): </translation>
    </message>
    <message>
        <source>прервано; не сохранено: </source>
        <comment>430</comment>
        <translation>interrupted; not saved: </translation>
    </message>
    <message>
        <source>Телефон ещё ждёт данных передачи файла, прерванной в прошлый раз; ожидание, пока он её не отменит: </source>
        <comment>431</comment>
        <translation>The phone is still waiting for the data of a file transfer cut short last time; waiting until it gives it up: </translation>
    </message>
    <message>
        <source> с</source>
        <comment>432</comment>
        <translation> s</translation>
    </message>
    <message>
        <source>ожидание телефона, осталось </source>
        <comment>433</comment>
        <translation>waiting for the phone, left </translation>
    </message>
    <message>
        <source>Имеющийся файл: </source>
        <comment>450</comment>
        <translation>Existing file: </translation>
    </message>
    <message>
        <source>Новый файл: </source>
        <comment>451</comment>
        <translation>New file: </translation>
    </message>
    <message numerus="yes">
        <source>%Ln байт</source>
        <comment>452</comment>
        <translation>
            <numerusform>%Ln byte</numerusform>
            <numerusform>%Ln bytes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n файлов</source>
        <comment>453</comment>
        <translation>
            <numerusform>%n file</numerusform>
            <numerusform>%n files</numerusform>
        </translation>
    </message>
    <message>
        <source>Сигнал DTR при открытии порта</source>
        <comment>454</comment>
        <translation>DTR signal when the port opens</translation>
    </message>
    <message>
        <source>Аппаратное управление потоком</source>
        <comment>455</comment>
        <translation>Hardware flow control</translation>
    </message>
    <message>
        <source>Программное управление потоком</source>
        <comment>456</comment>
        <translation>Software flow control</translation>
    </message>
    <message>
        <source>Проверять состояние линии</source>
        <comment>457</comment>
        <translation>Check the line state</translation>
    </message>
    <message>
        <source>только RTS</source>
        <comment>458</comment>
        <translation>RTS only</translation>
    </message>
    <message>
        <source>?</source>
        <comment>459</comment>
        <translation>?</translation>
    </message>
    <message>
        <source>Скопировано: </source>
        <comment>460</comment>
        <translation>Copied: </translation>
    </message>
    <message>
        <source>, пропущено: </source>
        <comment>461</comment>
        <translation>, skipped: </translation>
    </message>
    <message>
        <source>, не скопировано: </source>
        <comment>462</comment>
        <translation>, not copied: </translation>
    </message>
    <message>
        <source>порт не найден: выберите другой; все порты и их состояние покажет команда</source>
        <comment>463</comment>
        <translation>port not found: choose another; the command shows every port and its state</translation>
    </message>
    <message>
        <source>порт держит другая программа: закройте её или выберите другой порт; все порты покажет команда</source>
        <comment>464</comment>
        <translation>another program holds the port: close it or choose another port; the command shows every port</translation>
    </message>
    <message>
        <source>выберите последовательный порт; все порты покажет команда</source>
        <comment>465</comment>
        <translation>choose a serial port; the command shows every port</translation>
    </message>
    <message>
        <source>проверьте кабель и что телефон включён; другой порт задаётся параметром --port ПУТЬ или переменной Q7K3FM_PORT, все порты покажет команда</source>
        <comment>466</comment>
        <translation>check the cable and that the phone is switched on; another port is given with --port PATH or the variable Q7K3FM_PORT, the command shows every port</translation>
    </message>
    <message>
        <source>подключите кабель и включите телефон, затем повторите; состояние каждого порта покажет команда</source>
        <comment>467</comment>
        <translation>plug in the cable and switch the phone on, then try again; the command shows the state of each port</translation>
    </message>
    <message>
        <source> — это папка, а не файл: назовите файл в ней</source>
        <comment>468</comment>
        <translation> is a folder, not a file: name a file in it</translation>
    </message>
    <message>
        <source>не последовательный порт (не терминал)</source>
        <comment>469</comment>
        <translation>not a serial port (not a terminal)</translation>
    </message>
    <message>
        <source>на телефоне уже есть файл с этим именем</source>
        <comment>470</comment>
        <translation>the phone already has a file of this name</translation>
    </message>
    <message>
        <source>пропущенные файлы уже есть на телефоне; чтобы заменить их, повторите команду с --overwrite</source>
        <comment>471</comment>
        <translation>the skipped files are already on the phone; to replace them, give the command again with --overwrite</translation>
    </message>
    <message>
        <source>Ссылка</source>
        <comment>472</comment>
        <translation>Link</translation>
    </message>
    <message>
        <source>Ссылка в никуда</source>
        <comment>473</comment>
        <translation>Broken link</translation>
    </message>
    <message>
        <source>Перейти к папке…</source>
        <comment>474</comment>
        <translation>Go to folder…</translation>
    </message>
    <message>
        <source>Нет такой папки: </source>
        <comment>475</comment>
        <translation>No such folder: </translation>
    </message>
    <message>
        <source>Отключить</source>
        <comment>476</comment>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>Сообщение обрывается раньше своего конца</source>
        <comment>500</comment>
        <translation>The message ends before it should</translation>
    </message>
    <message>
        <source>Сообщение не в шестнадцатеричном виде</source>
        <comment>501</comment>
        <translation>The message is not in hexadecimal</translation>
    </message>
    <message>
        <source>Сообщение неизвестного вида</source>
        <comment>502</comment>
        <translation>The message is of an unknown kind</translation>
    </message>
    <message>
        <source>Сжатый текст сообщения не читается</source>
        <comment>503</comment>
        <translation>The message&apos;s text is compressed and cannot be read</translation>
    </message>
    <message>
        <source>Заголовок данных сообщения испорчен</source>
        <comment>504</comment>
        <translation>The message&apos;s data header is damaged</translation>
    </message>
    <message>
        <source>Адрес в сообщении испорчен</source>
        <comment>505</comment>
        <translation>An address in the message is damaged</translation>
    </message>
    <message>
        <source>Двоичные данные, байт: </source>
        <comment>507</comment>
        <translation>Binary data, bytes: </translation>
    </message>
    <message>
        <source>Сообщение доставлено</source>
        <comment>508</comment>
        <translation>Message delivered</translation>
    </message>
    <message>
        <source>Сообщение не читается: </source>
        <comment>509</comment>
        <translation>The message cannot be read: </translation>
    </message>
    <message>
        <source>В карточке нет номера телефона</source>
        <comment>510</comment>
        <translation>The card has no phone number</translation>
    </message>
    <message>
        <source>Карточка не закрыта строкой END:VCARD</source>
        <comment>511</comment>
        <translation>The card is not closed by an END:VCARD line</translation>
    </message>
    <message>
        <source>Неизвестная кодировка: </source>
        <comment>512</comment>
        <translation>Unknown character set: </translation>
    </message>
    <message>
        <source>Испорченная строка в файле сообщений: </source>
        <comment>514</comment>
        <translation>Damaged line in the messages file: </translation>
    </message>
    <message>
        <source>Не получены части: </source>
        <comment>515</comment>
        <translation>Parts not received: </translation>
    </message>
    <message>
        <source>Сообщение ещё не доставлено</source>
        <comment>516</comment>
        <translation>Message not delivered yet</translation>
    </message>
    <message>
        <source>Сообщение не доставлено</source>
        <comment>517</comment>
        <translation>Message not delivered</translation>
    </message>
    <message>
        <source>Телефон не отвечает на команды контактов и сообщений</source>
        <comment>530</comment>
        <translation>The phone answers none of the contacts and messages commands</translation>
    </message>
    <message>
        <source>Телефон не знает ни одной кодировки, в которой можно читать имена</source>
        <comment>531</comment>
        <translation>The phone knows no character set its names can be read in</translation>
    </message>
    <message>
        <source>Телефон не отдаёт контакты по кабелю</source>
        <comment>532</comment>
        <translation>The phone does not give its contacts over the cable</translation>
    </message>
    <message>
        <source>Телефон не отдаёт сообщения по кабелю</source>
        <comment>533</comment>
        <translation>The phone does not give its messages over the cable</translation>
    </message>
    <message>
        <source>Телефон оборвал список на середине; ничего не сохранено</source>
        <comment>534</comment>
        <translation>The phone broke off the listing half-way; nothing was saved</translation>
    </message>
    <message>
        <source>Номер, который телефон не примет: </source>
        <comment>535</comment>
        <translation>A number the phone will not take: </translation>
    </message>
    <message>
        <source>Номер длиннее, чем берёт память телефона: </source>
        <comment>536</comment>
        <translation>The number is longer than the phone&apos;s memory takes: </translation>
    </message>
    <message>
        <source>Имя длиннее, чем берёт память телефона; знаков не больше </source>
        <comment>537</comment>
        <translation>The name is longer than the phone&apos;s memory takes; characters at most </translation>
    </message>
    <message>
        <source>В имени есть знаки, которых телефон не примет: </source>
        <comment>538</comment>
        <translation>The name holds characters the phone will not take: </translation>
    </message>
    <message>
        <source>Ячейка уже занята, запись не перезаписана: </source>
        <comment>539</comment>
        <translation>The slot is taken, the entry was not overwritten: </translation>
    </message>
    <message>
        <source>Номер</source>
        <comment>572</comment>
        <translation>Number</translation>
    </message>
    <message>
        <source>Память</source>
        <comment>573</comment>
        <translation>Store</translation>
    </message>
    <message>
        <source>Отправитель</source>
        <comment>574</comment>
        <translation>Sender</translation>
    </message>
    <message>
        <source>Текст</source>
        <comment>575</comment>
        <translation>Text</translation>
    </message>
    <message>
        <source>Чтение контактов: </source>
        <comment>576</comment>
        <translation>Reading contacts: </translation>
    </message>
    <message>
        <source>Чтение сообщений: </source>
        <comment>577</comment>
        <translation>Reading messages: </translation>
    </message>
    <message>
        <source>запись|записи|записей</source>
        <comment>578</comment>
        <translation>entry|entries|entries</translation>
    </message>
    <message>
        <source>Сообщение</source>
        <comment>579</comment>
        <translation>Message</translation>
    </message>
    <message>
        <source>Сообщение не прочитано: </source>
        <comment>580</comment>
        <translation>The message could not be read: </translation>
    </message>
    <message>
        <source>Отчёт о доставке</source>
        <comment>581</comment>
        <translation>Delivery report</translation>
    </message>
    <message>
        <source>Текст слишком длинный для SMS</source>
        <comment>506</comment>
        <translation>The text is too long for a short message</translation>
    </message>
    <message>
        <source>Текст не записывается 7-битным алфавитом GSM</source>
        <comment>518</comment>
        <translation>The text cannot be written in the GSM 7-bit alphabet</translation>
    </message>
    <message numerus="yes">
        <source>%n байт</source>
        <comment>625</comment>
        <translation>
            <numerusform>%n byte</numerusform>
            <numerusform>%n bytes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Удалить с телефона %n файлов?</source>
        <comment>626</comment>
        <translation>
            <numerusform>Delete %n file from the phone?</numerusform>
            <numerusform>Delete %n files from the phone?</numerusform>
        </translation>
    </message>
    <message>
        <source>Контакты</source>
        <comment>540</comment>
        <translation>Contacts</translation>
    </message>
    <message>
        <source>Сообщения</source>
        <comment>541</comment>
        <translation>Messages</translation>
    </message>
    <message>
        <source>Нет такой памяти: </source>
        <comment>542</comment>
        <translation>No such store: </translation>
    </message>
    <message>
        <source>Нет такой подкоманды: </source>
        <comment>543</comment>
        <translation>No such subcommand: </translation>
    </message>
    <message>
        <source>Номер ячейки должен быть числом: </source>
        <comment>544</comment>
        <translation>A slot number must be a number: </translation>
    </message>
    <message>
        <source>В этой ячейке нет сообщения: </source>
        <comment>545</comment>
        <translation>There is no message in this slot: </translation>
    </message>
    <message>
        <source>Сохранено в </source>
        <comment>582</comment>
        <translation>Saved in </translation>
    </message>
    <message>
        <source>записан</source>
        <comment>599</comment>
        <translation>written</translation>
    </message>
    <message>
        <source>записан, имя укорочено</source>
        <comment>600</comment>
        <translation>written, name cut</translation>
    </message>
    <message>
        <source>уже есть</source>
        <comment>601</comment>
        <translation>already there</translation>
    </message>
    <message>
        <source>не принят</source>
        <comment>602</comment>
        <translation>refused</translation>
    </message>
    <message>
        <source>нет места</source>
        <comment>603</comment>
        <translation>no room</translation>
    </message>
    <message>
        <source>не начат</source>
        <comment>604</comment>
        <translation>not begun</translation>
    </message>
    <message>
        <source>сбой</source>
        <comment>605</comment>
        <translation>failed</translation>
    </message>
    <message>
        <source>Записано: </source>
        <comment>546</comment>
        <translation>Written: </translation>
    </message>
    <message>
        <source>, уже были в телефоне: </source>
        <comment>547</comment>
        <translation>, already on the phone: </translation>
    </message>
    <message>
        <source>Уже есть в телефоне</source>
        <comment>548</comment>
        <translation>Already on the phone</translation>
    </message>
    <message>
        <source>Память телефона заполнена</source>
        <comment>549</comment>
        <translation>The phone&apos;s store is full</translation>
    </message>
    <message>
        <source>Остановлено до записи</source>
        <comment>550</comment>
        <translation>Stopped before it was written</translation>
    </message>
    <message>
        <source>Имя укорочено, в файле: </source>
        <comment>551</comment>
        <translation>Name cut short; the file has: </translation>
    </message>
    <message>
        <source>В файле есть имена длиннее, чем берёт память телефона. Укоротить их? «Нет» пропустит такие контакты.

Знаков не больше </source>
        <comment>552</comment>
        <translation>The file has names longer than the phone&apos;s store takes. Cut them short? «No» leaves those contacts out.

Characters at most </translation>
    </message>
    <message>
        <source>Импорт контактов</source>
        <comment>553</comment>
        <translation>Contacts import</translation>
    </message>
    <message>
        <source>Длинные имена укоротит параметр --cut-names</source>
        <comment>554</comment>
        <translation>--cut-names cuts long names short</translation>
    </message>
    <message>
        <source>Запись контактов: </source>
        <comment>555</comment>
        <translation>Writing contacts: </translation>
    </message>
    <message>
        <source>В файле нет ни одной карточки vCard: </source>
        <comment>556</comment>
        <translation>The file holds no vCard: </translation>
    </message>
    <message>
        <source>, не записано: </source>
        <comment>557</comment>
        <translation>, not written: </translation>
    </message>
    <message>
        <source>Контакты записаны в память </source>
        <comment>558</comment>
        <translation>Contacts written to the store </translation>
    </message>
    <message>
        <source>Контакты сохранены: </source>
        <comment>559</comment>
        <translation>Contacts saved: </translation>
    </message>
    <message>
        <source>Сообщения сохранены: </source>
        <comment>560</comment>
        <translation>Messages saved: </translation>
    </message>
    <message>
        <source>Контакты не сохранены: </source>
        <comment>561</comment>
        <translation>Contacts not saved: </translation>
    </message>
    <message>
        <source>Сообщения не сохранены: </source>
        <comment>562</comment>
        <translation>Messages not saved: </translation>
    </message>
    <message>
        <source>Резервную копию без контактов и сообщений делает параметр --files-only</source>
        <comment>563</comment>
        <translation>--files-only makes the backup without contacts and messages</translation>
    </message>
    <message>
        <source>В телефоне нет памяти контактов </source>
        <comment>564</comment>
        <translation>The phone has no contacts store </translation>
    </message>
    <message>
        <source>Вернуть контакты, которых нет на телефоне; в копии: </source>
        <comment>565</comment>
        <translation>Put back the contacts missing on the phone; in the backup: </translation>
    </message>
    <message>
        <source>В контакты копируются только файлы .vcf</source>
        <comment>566</comment>
        <translation>Only .vcf files can be copied onto the contacts</translation>
    </message>
    <message>
        <source>В сообщения файлы с компьютера не копируются</source>
        <comment>567</comment>
        <translation>Files from the computer are not copied onto the messages</translation>
    </message>
    <message>
        <source>Контакты не восстановлены: </source>
        <comment>568</comment>
        <translation>Contacts not restored: </translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>Вызов: q7k3fm-cli КОМАНДА [ПАРАМЕТРЫ] [АРГУМЕНТЫ...]
       q7k3fm-cli help КОМАНДА | КОМАНДА --help | --version

Команды:
</source>
        <translation>Usage: q7k3fm-cli COMMAND [OPTIONS] [ARGUMENTS...]
       q7k3fm-cli help COMMAND | COMMAND --help | --version

Commands:
</translation>
    </message>
    <message>
        <source>Список команд: q7k3fm-cli --help</source>
        <translation>The list of commands: q7k3fm-cli --help</translation>
    </message>
    <message>
        <source>Вызов: q7k3fm-cli </source>
        <translation>Usage: q7k3fm-cli </translation>
    </message>
    <message>
        <source>ПАПКА</source>
        <translation>FOLDER</translation>
    </message>
    <message>
        <source>только файлы этой папки телефона и папок внутри неё (путь как в строке пути)</source>
        <translation>only the files of this phone folder and the folders in it (the path as in the path line)</translation>
    </message>
    <message>
        <source>ШАБЛОН</source>
        <translation>PATTERN</translation>
    </message>
    <message>
        <source>только файлы с именем по шаблону (* и ?)</source>
        <translation>only the files whose names match the pattern (* and ?)</translation>
    </message>
    <message>
        <source>заменять файлы с теми же именами на телефоне</source>
        <translation>replace the files of the same names on the phone</translation>
    </message>
    <message>
        <source>сверять и содержимое файлов (читает их с телефона)</source>
        <translation>compare the files&apos; contents too (reads them from the phone)</translation>
    </message>
    <message>
        <source>backup [ПАРАМЕТРЫ] ПАПКА</source>
        <translation>backup [OPTIONS] FOLDER</translation>
    </message>
    <message>
        <source>restore [ПАРАМЕТРЫ] ПАПКА</source>
        <translation>restore [OPTIONS] FOLDER</translation>
    </message>
    <message>
        <source>verify [ПАРАМЕТРЫ] ПАПКА</source>
        <translation>verify [OPTIONS] FOLDER</translation>
    </message>
    <message>
        <source>скорость, которую пробовать первой (затем 115200, 128000, 230400)</source>
        <translation>the speed to try first (then 115200, 128000, 230400)</translation>
    </message>
    <message>
        <source>объект JSON: ports (port, stable, answer, model, rate, state), phones</source>
        <translation>a JSON object: ports (port, stable, answer, model, rate, state), phones</translation>
    </message>
    <message>
        <source>без лишних строк</source>
        <translation>no extra lines</translation>
    </message>
    <message>
        <source>подробнее о ходе работы</source>
        <translation>more about the work under way</translation>
    </message>
    <message>
        <source>detect [ПАРАМЕТРЫ] [ПОРТ...]</source>
        <translation>detect [OPTIONS] [PORT...]</translation>
    </message>
    <message>
        <source>Ищет телефон: на каждый порт посылает опознание (ATZ, AT+CGMM) на каждой скорости
настроек и показывает, что ответил каждый порт. Без ПОРТОВ — порты из
Q7K3FM_SEARCH_PORTS (через двоеточие), иначе каждый последовательный порт.
Порты, которые не открываются, не трогает и говорит почему. Ничего, кроме
опознания, в порты не пишет. Код 0, когда найден хотя бы один телефон, иначе 4.</source>
        <translation>Finds the phone: sends the identification (ATZ, AT+CGMM) to every port at each
speed of the settings and shows what each port answered. Without PORTs: the
ports of Q7K3FM_SEARCH_PORTS (separated by colons), else every serial port.
Ports that do not open are left alone, with the reason. Nothing but the
identification is written to the ports. Exit 0 when a phone was found, else 4.</translation>
    </message>
    <message>
        <source>дерево папок: обычное или расширенное</source>
        <translation>the folder tree: normal or extended</translation>
    </message>
    <message>
        <source>java [ПАРАМЕТРЫ] rebuild</source>
        <translation>java [OPTIONS] rebuild</translation>
    </message>
    <message>
        <source>rebuild: телефон заново составляет список Java-приложений по мидлетам своей
папки Java; шаги печатаются по строке.</source>
        <translation>rebuild: the phone makes its list of Java applications anew from the MIDlets
of its Java folder; each step is printed on a line.</translation>
    </message>
    <message>
        <source>identify [ПАРАМЕТРЫ]</source>
        <translation>identify [OPTIONS]</translation>
    </message>
    <message>
        <source>Открывает порт, сбрасывает телефон и печатает строку его модели.</source>
        <translation>Opens the port, resets the phone and prints its model line.</translation>
    </message>
    <message>
        <source>ячейка EMS 0..255 (pic2ems, imy2ems)</source>
        <translation>the EMS slot 0..255 (pic2ems, imy2ems)</translation>
    </message>
    <message>
        <source>ширина ANI в точках 1..4096 (ani2bmp)</source>
        <translation>the ANI width in pixels 1..4096 (ani2bmp)</translation>
    </message>
    <message>
        <source>заменить существующий выходной файл</source>
        <translation>replace an existing output file</translation>
    </message>
    <message>
        <source>не печатать путь записанного файла</source>
        <translation>do not print the written file&apos;s path</translation>
    </message>
    <message>
        <source>подробнее</source>
        <translation>more detail</translation>
    </message>
    <message>
        <source>convert [ВИД] ВХОД ВЫХОД [--slot N] [--width N] [--force]</source>
        <translation>convert [KIND] IN OUT [--slot N] [--width N] [--force]</translation>
    </message>
    <message>
        <source>Преобразует локальный файл, как при копировании. ВИД: mel2mmf, mmf2mel,
ani2bmp, pic2ani, pic2ems, ems2bmp, imy2ems, ems2imy, jad, mmf2wav, mel2wav
(мелодия в WAV, как её играет просмотрщик); без ВИДА он
угадывается по расширениям (song.mmf song.mel — mmf2mel). ВЫХОД может быть
папкой; - — стандартный ввод или вывод. Печатает путь записанного файла.</source>
        <translation>Converts a local file as a copy does. KIND: mel2mmf, mmf2mel,
ani2bmp, pic2ani, pic2ems, ems2bmp, imy2ems, ems2imy, jad, mmf2wav, mel2wav
(a melody to WAV, as the viewer plays it); without a KIND it is
guessed from the extensions (song.mmf song.mel: mmf2mel). OUT may be
a folder; - is standard input or output. Prints the path of the written file.</translation>
    </message>
    <message>
        <source>ВИД: «</source>
        <translation>KIND: «</translation>
    </message>
    <message>
        <source>для программ: ВИД&lt;tab&gt;РАЗМЕР&lt;tab&gt;ДАТА&lt;tab&gt;ПУТЬ, запись на строку</source>
        <translation>for programs: TYPE&lt;tab&gt;SIZE&lt;tab&gt;DATE&lt;tab&gt;PATH, a record a line</translation>
    </message>
    <message>
        <source>как --porcelain, но путь без экранирования, запись кончается байтом NUL</source>
        <translation>as --porcelain, but the path unescaped and each record ended by a NUL byte</translation>
    </message>
    <message>
        <source>массив JSON: path, type, size, date</source>
        <translation>a JSON array: path, type, size, date</translation>
    </message>
    <message>
        <source>байты как есть, без правил папок</source>
        <translation>the bytes as they are, no folder rules</translation>
    </message>
    <message>
        <source>заменить существующий локальный файл</source>
        <translation>replace an existing local file</translation>
    </message>
    <message>
        <source>заменить файл с тем же именем на телефоне</source>
        <translation>replace a file of the same name on the phone</translation>
    </message>
    <message>
        <source>то же, что --overwrite</source>
        <translation>the same as --overwrite</translation>
    </message>
    <message>
        <source>ИМЯ</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>имя файла на телефоне для - (стандартного ввода)</source>
        <translation>the phone file&apos;s name for - (standard input)</translation>
    </message>
    <message>
        <source>заменить файл, уже носящий новое имя</source>
        <translation>replace the file that already has the new name</translation>
    </message>
    <message>
        <source>Пути телефона: папки через \ или / (&quot;Sounds/My Sounds&quot;, &quot;E700:\User&quot;),
регистр букв не важен, если подходит одно имя. Папка, в имени которой есть /
(&quot;OnOff/Menu Images&quot;), пишется как есть: целое имя узнаётся раньше разделителя.</source>
        <translation>Phone paths: folders separated by \ or / (&quot;Sounds/My Sounds&quot;, &quot;E700:\User&quot;),
case does not matter when only one name fits. A folder whose name holds a /
(&quot;OnOff/Menu Images&quot;) is written as it is: a whole name is recognised first.</translation>
    </message>
    <message>
        <source>scan [ПАРАМЕТРЫ]</source>
        <translation>scan [OPTIONS]</translation>
    </message>
    <message>
        <source>Обходит все папки телефона и печатает их файлы, в конце — свободное место
(в --porcelain/--json — запись вида free).</source>
        <translation>Goes through every phone folder and prints its files, the free space last
(with --porcelain/--json: a record of type free).</translation>
    </message>
    <message>
        <source>ls [ПАРАМЕТРЫ] [ПАПКА]</source>
        <translation>ls [OPTIONS] [FOLDER]</translation>
    </message>
    <message>
        <source>Печатает подпапки и файлы одной папки телефона (без ПАПКИ — корень).</source>
        <translation>Prints the subfolders and files of one phone folder (without FOLDER: the root).</translation>
    </message>
    <message>
        <source>get [ПАРАМЕТРЫ] ПАПКА\ФАЙЛ... ЛОКАЛЬНЫЙ|-</source>
        <translation>get [OPTIONS] FOLDER\FILE... LOCAL|-</translation>
    </message>
    <message>
        <source>Копирует файлы телефона на компьютер по правилам папок. ЛОКАЛЬНЫЙ — папка,
или путь файла для одного файла, или - (стандартный вывод). Существующий
локальный файл не заменяется без --force.</source>
        <translation>Copies phone files to the computer with the folder rules. LOCAL is a folder,
the path of the file for one file, or - (standard output). An existing
local file is not replaced without --force.</translation>
    </message>
    <message>
        <source>put [ПАРАМЕТРЫ] ЛОКАЛЬНЫЙ|-... ПАПКА</source>
        <translation>put [OPTIONS] LOCAL|-... FOLDER</translation>
    </message>
    <message>
        <source>Копирует локальные файлы в папку телефона по правилам папок; - читает
стандартный ввод (имя даёт --name). Ctrl+C во время записи доводит обмен
до конца так, что телефон отвергает недописанный файл.</source>
        <translation>Copies local files into a phone folder with the folder rules; - reads
standard input (--name gives the name). Ctrl+C during a write brings the
exchange to its end so that the phone refuses the unfinished file.</translation>
    </message>
    <message>
        <source>rm [ПАРАМЕТРЫ] ПАПКА\ФАЙЛ...</source>
        <translation>rm [OPTIONS] FOLDER\FILE...</translation>
    </message>
    <message>
        <source>Удаляет файлы телефона.</source>
        <translation>Deletes phone files.</translation>
    </message>
    <message>
        <source>rename [ПАРАМЕТРЫ] ПАПКА\ФАЙЛ НОВОЕ_ИМЯ</source>
        <translation>rename [OPTIONS] FOLDER\FILE NEW_NAME</translation>
    </message>
    <message>
        <source>Переименовывает файл телефона.</source>
        <translation>Renames a phone file.</translation>
    </message>
    <message>
        <source>ПУТЬ</source>
        <translation>PATH</translation>
    </message>
    <message>
        <source>показать и этот порт (без него: Q7K3FM_PORT, затем сохранённый порт)</source>
        <translation>show this port too (without it: Q7K3FM_PORT, then the stored port)</translation>
    </message>
    <message>
        <source>ports [--port ПУТЬ]</source>
        <translation>ports [--port PATH]</translation>
    </message>
    <message>
        <source>Показывает каждый последовательный порт: открывается ли он, а если нет —
почему и что с этим сделать.</source>
        <translation>Shows every serial port: whether it opens, and if not,
why and what to do about it.</translation>
    </message>
    <message>
        <source>ПУТЬ|auto</source>
        <translation>PATH|auto</translation>
    </message>
    <message>
        <source>порт телефона, auto: найти его (без него: Q7K3FM_PORT, затем сохранённый порт)</source>
        <translation>the phone&apos;s port, auto: find it (without it: Q7K3FM_PORT, then the stored port)</translation>
    </message>
    <message>
        <source>скорость линии, бит/с</source>
        <translation>the line speed, bit/s</translation>
    </message>
    <message>
        <source>скорость реакции связи</source>
        <translation>the link&apos;s reaction speed</translation>
    </message>
    <message>
        <source>ФАЙЛ</source>
        <translation>FILE</translation>
    </message>
    <message>
        <source>записывать обмен с телефоном в ФАЙЛ</source>
        <translation>write the exchange with the phone to FILE</translation>
    </message>
    <message>
        <source>без индикатора хода и лишних строк</source>
        <translation>no progress and no extra lines</translation>
    </message>
    <message>
        <source>эта справка</source>
        <translation>this help</translation>
    </message>
    <message>
        <source>Параметры:</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>дальше только аргументы, даже если начинаются с -</source>
        <translation>only arguments after it, even those that start with -</translation>
    </message>
    <message>
        <source>Коды завершения:
  0    успешно
  1    телефон отказал или обмен не удался
  2    ошибка в командной строке
  3    порт не открывается
  4    телефон не отвечает
  5    модель телефона не поддерживается
  6    локальный файл не читается, не пишется или уже есть; опись копии повреждена
  7    входной файл не того вида
  8    --port auto: найдено несколько телефонов
  130  прервано (Ctrl+C)
</source>
        <translation>Exit codes:
  0    success
  1    the phone refused or the exchange failed
  2    a wrong command line
  3    the port does not open
  4    the phone does not answer
  5    the phone model is not supported
  6    a local file cannot be read or written, or exists; a damaged backup manifest
  7    the input file is of the wrong kind
  8    --port auto: several phones found
  130  interrupted (Ctrl+C)
</translation>
    </message>
    <message>
        <source>дерево папок: обычное, расширенное или PIMS</source>
        <translation>the folder tree: normal, extended or PIMS</translation>
    </message>
    <message>
        <source>показывать и скрытые файлы</source>
        <translation>show hidden files too</translation>
    </message>
    <message>
        <source>это тот телефон, на котором прервалась запись файла (для телефонов без серийного номера)</source>
        <translation>this is the phone on which a file write was interrupted (for phones without a serial number)</translation>
    </message>
    <message>
        <source>только эта память телефона</source>
        <translation>only this store of the phone</translation>
    </message>
    <message>
        <source>для программ: поля через табуляцию, запись на строку</source>
        <translation>for programs: fields separated by tabs, one entry a line</translation>
    </message>
    <message>
        <source>массив JSON, запись — объект</source>
        <translation>a JSON array, one object an entry</translation>
    </message>
    <message>
        <source>export заменяет файлы, которые уже есть</source>
        <translation>export replaces files that are already there</translation>
    </message>
    <message>
        <source>messages [ПАРАМЕТРЫ] ls | show N | export ФАЙЛ.xml</source>
        <translation>messages [OPTIONS] ls | show N | export FILE.xml</translation>
    </message>
    <message>
        <source>ls печатает сообщения всех памятей телефона: память, ячейку, состояние,
адрес, время, часть и первые слова. show N показывает сообщение из ячейки N
(память ME, если не задана --store) целиком, с остальными его частями.
export ФАЙЛ.xml записывает их как XML резервной копии SMS для Android, рядом
ФАЙЛ.pdu (PDU как есть) и папку ФАЙЛ-texts с перепиской по адресам.</source>
        <translation>ls prints the messages of every store of the phone: store, slot, state,
address, time, part and the first words. show N shows the message in slot N
(of store ME unless --store names another) whole, with its other parts.
export FILE.xml writes them as the SMS backup XML for Android, beside it
FILE.pdu (the PDUs as they came) and the folder FILE-texts with one text per address.</translation>
    </message>
    <message>
        <source>import укорачивает имена, длиннее чем берёт память</source>
        <translation>import cuts names longer than the store takes</translation>
    </message>
    <message>
        <source>contacts [ПАРАМЕТРЫ] ls | export ФАЙЛ | import ФАЙЛ</source>
        <translation>contacts [OPTIONS] ls | export FILE | import FILE</translation>
    </message>
    <message>
        <source>Печатает записи телефонной книги: память (SM — SIM-карта, ME — телефон),
ячейку, номер и имя. Без --store — обе памяти. export ФАЙЛ записывает их
в ФАЙЛ как vCard 3.0 (UTF-8), целиком или никак. import ФАЙЛ записывает
карточки vCard 2.1 и 3.0 из ФАЙЛА в свободные ячейки памяти ME (или --store),
по записи на номер; записи, которые уже есть, пропускает, ничего не заменяет.</source>
        <translation>Prints the phonebook&apos;s entries: store (SM the SIM card, ME the phone),
slot, number and name. Without --store, both stores. export FILE writes them
to FILE as vCard 3.0 (UTF-8), whole or not at all. import FILE writes the
vCard 2.1 and 3.0 cards of FILE into free slots of the store ME (or --store),
one entry per number; entries already there are skipped, nothing is replaced.</translation>
    </message>
    <message>
        <source>только файлы, без контактов и сообщений</source>
        <translation>files only, without contacts and messages</translation>
    </message>
    <message>
        <source>только файлы, без контактов</source>
        <translation>files only, without contacts</translation>
    </message>
    <message>
        <source>Копирует все файлы телефона в локальную ПАПКУ; при повторе забирает только
изменившиеся. Рядом сохраняет контакты (contacts.vcf), сообщения (messages.xml)
и их PDU (messages.pdu); телефон, который их не отдаёт, — код 1 и причина,
файлы при этом сохранены. --files-only их не сохраняет.</source>
        <translation>Copies every phone file into the local FOLDER; run again, it fetches only the
changed ones. Beside them it saves the contacts (contacts.vcf), the messages (messages.xml)
and their PDUs (messages.pdu); a phone that will not give them ends with exit 1 and the
reason, its files saved all the same. --files-only leaves them out.</translation>
    </message>
    <message>
        <source>Возвращает на телефон файлы копии из ПАПКИ. Файл, имя которого на телефоне
занято, пропускается (список в конце); --overwrite заменяет его. Ctrl+C во
время записи доводит обмен до конца так, что телефон отвергает недописанный
файл, а заменяемый файл остаётся целым под своим именем. Контакты копии, которых
нет на телефоне, записываются в свободные ячейки своей памяти (SM или ME),
ничего не заменяя; --files-only их не трогает. Сообщения на телефон не
возвращаются.</source>
        <translation>Writes the files of the backup in FOLDER back to the phone. A file whose name
is taken on the phone is skipped (listed at the end); --overwrite replaces it.
Ctrl+C during a write brings the exchange to its end so that the phone refuses
the unfinished file, and the file being replaced stays whole under its name. The
backup&apos;s contacts missing on
the phone are written into free slots of their store (SM or ME), replacing nothing;
--files-only leaves them alone. Messages are not written back to the phone.</translation>
    </message>
    <message>
        <source>Сверяет копию в ПАПКЕ с телефоном и печатает различия (код 1, если они есть).
Файлы контактов и сообщений сверяет по размеру и CRC, контакты читает целиком;
--deep сверяет и сами контакты с телефоном.</source>
        <translation>Compares the backup in FOLDER with the phone and prints the differences (exit 1 if there are any).
Checks the size and CRC of the contacts and messages files and reads the contacts back whole;
--deep also compares the contacts themselves with the phone&apos;s.</translation>
    </message>
</context>
<context>
    <name>TAboutForm</name>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Автор: Orvik Lanto</source>
        <translation>Author: Orvik Lanto</translation>
    </message>
    <message>
        <source>Домашняя страница Q7K3FileManager</source>
        <translation>Q7K3FileManager home page</translation>
    </message>
</context>
<context>
    <name>TFavoritesForm</name>
    <message>
        <source>Favorites Настройки</source>
        <translation>Favorites</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Переименовать</source>
        <translation>Rename</translation>
    </message>
</context>
<context>
    <name>TFileExistForm</name>
    <message>
        <source>Файл существует</source>
        <translation>File exists</translation>
    </message>
    <message>
        <source>Старое имя:</source>
        <translation>Old name:</translation>
    </message>
    <message>
        <source>Новое имя:</source>
        <translation>New name:</translation>
    </message>
    <message>
        <source>Перезапиписать</source>
        <translation>Overwrite</translation>
    </message>
    <message>
        <source>Перезаписать все</source>
        <translation>Overwrite all</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Пропустить</source>
        <translation>Skip</translation>
    </message>
    <message>
        <source>Пропустить все</source>
        <translation>Skip all</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Настройки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Помощь</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Информация о программе</source>
        <translation>About the program</translation>
    </message>
    <message>
        <source>Добавить текущую папку</source>
        <translation>Add the current folder</translation>
    </message>
    <message>
        <source>Настроить</source>
        <translation>Set up</translation>
    </message>
    <message>
        <source>Имя</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Размер</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>F3 Просмотр</source>
        <translation>F3 View</translation>
    </message>
    <message>
        <source>F4 Обновить</source>
        <translation>F4 Refresh</translation>
    </message>
    <message>
        <source>F5 Копия</source>
        <translation>F5 Copy</translation>
    </message>
    <message>
        <source>F6 Переимен</source>
        <translation>F6 Rename</translation>
    </message>
    <message>
        <source>Компилировать JAVA</source>
        <translation>Compile Java</translation>
    </message>
    <message>
        <source>F8 Удалить</source>
        <translation>F8 Delete</translation>
    </message>
    <message>
        <source>Свободно 0МБ из 0МБ</source>
        <translation>Free 0MB of 0MB</translation>
    </message>
    <message>
        <source>Папка</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>Диск</source>
        <translation>Drive</translation>
    </message>
    <message>
        <source>Свободно 0КБ из 0КБ</source>
        <translation>Free 0KB of 0KB</translation>
    </message>
</context>
<context>
    <name>TPlayForm</name>
    <message>
        <source>Просмотрщик</source>
        <translation>Viewer</translation>
    </message>
    <message>
        <source>Название</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>Дважды кликните на файле чтобы просмотреть/прослушать</source>
        <translation>Double-click a file to view it or listen to it</translation>
    </message>
    <message>
        <source>Файл 0/0</source>
        <translation>File 0/0</translation>
    </message>
</context>
<context>
    <name>TProcessForm</name>
    <message>
        <source>Передача данных...</source>
        <translation>Transferring data...</translation>
    </message>
    <message>
        <source>Прервать</source>
        <translation>Abort</translation>
    </message>
</context>
<context>
    <name>TRenameForm</name>
    <message>
        <source>Переименовать</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TSettingsForm</name>
    <message>
        <source>Настройки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Соединение</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>Дополнительно</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>Выберите ком порт</source>
        <translation>Choose the COM port</translation>
    </message>
    <message>
        <source>Режим:</source>
        <translation>Mode:</translation>
    </message>
    <message>
        <source>Скорость:</source>
        <translation>Speed:</translation>
    </message>
    <message>
        <source>Интерфейс:</source>
        <translation>Interface:</translation>
    </message>
    <message>
        <source>Задержки</source>
        <translation>Delays</translation>
    </message>
    <message>
        <source>Скрытые файлы</source>
        <translation>Hidden files</translation>
    </message>
    <message>
        <source>Настройки порта:</source>
        <translation>Port settings:</translation>
    </message>
    <message>
        <source>ИК-ПОРТ</source>
        <translation>INFRARED</translation>
    </message>
    <message>
        <source>Кабель</source>
        <translation>Cable</translation>
    </message>
    <message>
        <source>Выключено</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Включено</source>
        <translation>On</translation>
    </message>
    <message>
        <source>Быстро</source>
        <translation>Fast</translation>
    </message>
    <message>
        <source>Средне</source>
        <translation>Medium</translation>
    </message>
    <message>
        <source>Медленно</source>
        <translation>Slow</translation>
    </message>
    <message>
        <source>Скрыть</source>
        <translation>Hide</translation>
    </message>
    <message>
        <source>Показать</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>Системные</source>
        <translation>System</translation>
    </message>
    <message>
        <source>Вручную</source>
        <translation>By hand</translation>
    </message>
    <message>
        <source>Старт</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
