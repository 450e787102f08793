<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>AudioImagePlayer</name>
    <message>
        <source>Player</source>
        <translation>Проигрыватель</translation>
    </message>
</context>
<context>
    <name>Autorization</name>
    <message>
        <source>Error start socket</source>
        <translation>Не удалось открыть сокет</translation>
    </message>
    <message>
        <source>E-mail is not valid</source>
        <translation>Неверный адрес e-mail</translation>
    </message>
    <message>
        <source>No password</source>
        <translation>Нет пароля</translation>
    </message>
    <message>
        <source>Password is empty</source>
        <translation>Пароль не указан</translation>
    </message>
    <message>
        <source>Confirm password is empty</source>
        <translation>Подтверждение пароля не указано</translation>
    </message>
    <message>
        <source>Passwords do not match</source>
        <translation>Пароли не совпадают</translation>
    </message>
    <message>
        <source>Internet connect not found</source>
        <translation>Нет подключения к интернету</translation>
    </message>
    <message>
        <source>Email not specified</source>
        <translation>Не указан e-mail</translation>
    </message>
    <message>
        <source>Feedback not specified</source>
        <translation>Не указан текст отзыва</translation>
    </message>
    <message>
        <source>Your review posted!</source>
        <translation>Ваш отзыв отправлен!</translation>
    </message>
    <message>
        <source>Wrong password</source>
        <translation>Неверный пароль</translation>
    </message>
    <message>
        <source>The service sent no access token</source>
        <translation>Сервис не прислал ключ доступа</translation>
    </message>
</context>
<context>
    <name>Core</name>
    <message>
        <source>Warning</source>
        <translation>Внимание</translation>
    </message>
    <message>
        <source>Internet is not available. Save file to disk ?</source>
        <translation>Интернет недоступен. Сохранить файл на диск?</translation>
    </message>
    <message>
        <source>%1. Save file to disk ?</source>
        <translation>%1. Сохранить файл на диск?</translation>
    </message>
    <message>
        <source>Save file</source>
        <translation>Сохранить файл</translation>
    </message>
    <message>
        <source>The capture file is no longer there</source>
        <translation>Файла снимка больше нет</translation>
    </message>
    <message>
        <source>Cannot replace the file %1</source>
        <translation>Не удалось заменить файл %1</translation>
    </message>
    <message>
        <source>Cannot save the file %1</source>
        <translation>Не удалось сохранить файл %1</translation>
    </message>
    <message>
        <source>Hey! I Pryx. The faster program to create screenshots and transfer files over a network. Are you forgot for me ? Let`s do screenshot!</source>
        <translation>Привет! Я Pryx, самая быстрая программа для снимков экрана и передачи файлов по сети. Ты забыл про меня? Давай сделаем снимок!</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>Поддержка</translation>
    </message>
    <message>
        <source>Support and Help</source>
        <translation>Поддержка и помощь</translation>
    </message>
    <message>
        <source>News and answers in our Telegram channel: %1&lt;br&gt;Write to the support team: %2&lt;br&gt;Ask the community on the help forum: %3</source>
        <translation>Новости и ответы в нашем канале Telegram: %1&lt;br&gt;Напишите в службу поддержки: %2&lt;br&gt;Спросите на форуме помощи: %3</translation>
    </message>
    <message>
        <source>The capture is empty and was not uploaded</source>
        <translation>Снимок пуст и не был загружен</translation>
    </message>
    <message>
        <source>The capture could not be encoded and was not uploaded</source>
        <translation>Не удалось закодировать снимок, он не был загружен</translation>
    </message>
    <message>
        <source>The capture could not be written to %1: %2</source>
        <translation>Не удалось записать снимок в %1: %2</translation>
    </message>
    <message>
        <source>The capture is empty and was not saved</source>
        <translation>Снимок пуст и не был сохранён</translation>
    </message>
    <message>
        <source>The capture could not be written to %1</source>
        <translation>Не удалось записать снимок в %1</translation>
    </message>
    <message>
        <source>The file %1 could not be replaced</source>
        <translation>Не удалось заменить файл %1</translation>
    </message>
    <message>
        <source>The file %1 could not be written</source>
        <translation>Не удалось записать файл %1</translation>
    </message>
    <message>
        <source>The file %1 could not be written: %2</source>
        <translation>Не удалось записать файл %1: %2</translation>
    </message>
    <message>
        <source>Select folder</source>
        <translation>Выберите папку</translation>
    </message>
    <message>
        <source>File not found</source>
        <translation>Файл не найден</translation>
    </message>
    <message>
        <source>Internet is not available</source>
        <translation>Интернет недоступен</translation>
    </message>
</context>
<context>
    <name>CurlUploadThread</name>
    <message>
        <source>Well done</source>
        <translation>Готово</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
</context>
<context>
    <name>ErrorDialog</name>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
</context>
<context>
    <name>ErrorWidget</name>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
</context>
<context>
    <name>HandleDropboxUpload</name>
    <message>
        <source>Dropbox account is not auth</source>
        <translation>Вход в Dropbox не выполнен</translation>
    </message>
    <message>
        <source>Could not build the archive: %1</source>
        <translation>Не удалось собрать архив: %1</translation>
    </message>
</context>
<context>
    <name>HandleFTPUpload</name>
    <message>
        <source>FTP host is null</source>
        <translation>Не указан FTP-сервер</translation>
    </message>
    <message>
        <source>FTP connection is avaliable</source>
        <translation>FTP-соединение доступно</translation>
    </message>
</context>
<context>
    <name>HandleSFTPUpload</name>
    <message>
        <source>SFTP host is null</source>
        <translation>Не указан SFTP-сервер</translation>
    </message>
    <message>
        <source>SFTP connection is avaliable</source>
        <translation>SFTP-соединение доступно</translation>
    </message>
</context>
<context>
    <name>HandlerUpload</name>
    <message>
        <source>There are no files to upload</source>
        <translation>Нет файлов для загрузки</translation>
    </message>
    <message>
        <source>The server sent an invalid reply</source>
        <translation>Сервер прислал неверный ответ</translation>
    </message>
    <message>
        <source>Could not create the archive</source>
        <translation>Не удалось создать архив</translation>
    </message>
    <message>
        <source>Cannot read the file %1: %2</source>
        <translation>Не удалось прочитать файл %1: %2</translation>
    </message>
    <message>
        <source>No error</source>
        <translation>Нет ошибки</translation>
    </message>
    <message>
        <source>Connection refused</source>
        <translation>В соединении отказано</translation>
    </message>
    <message>
        <source>Remote host closed</source>
        <translation>Удалённый сервер закрыл соединение</translation>
    </message>
    <message>
        <source>Host not found</source>
        <translation>Сервер не найден</translation>
    </message>
    <message>
        <source>Timeout</source>
        <translation>Время ожидания истекло</translation>
    </message>
    <message>
        <source>Operation canceled</source>
        <translation>Операция отменена</translation>
    </message>
    <message>
        <source>Ssl handshake failed</source>
        <translation>Ошибка установки SSL-соединения</translation>
    </message>
    <message>
        <source>Temporary network failure</source>
        <translation>Временный сбой сети</translation>
    </message>
    <message>
        <source>Unknown network</source>
        <translation>Неизвестная ошибка сети</translation>
    </message>
    <message>
        <source>Proxy connection refused</source>
        <translation>Прокси-сервер отказал в соединении</translation>
    </message>
    <message>
        <source>Proxy connection closed</source>
        <translation>Прокси-сервер закрыл соединение</translation>
    </message>
    <message>
        <source>Proxy not found</source>
        <translation>Прокси-сервер не найден</translation>
    </message>
    <message>
        <source>Proxy timeout</source>
        <translation>Время ожидания прокси-сервера истекло</translation>
    </message>
    <message>
        <source>Proxy authentication required</source>
        <translation>Прокси-сервер требует авторизации</translation>
    </message>
    <message>
        <source>Unknown proxy</source>
        <translation>Неизвестная ошибка прокси-сервера</translation>
    </message>
    <message>
        <source>Content access denied</source>
        <translation>Доступ к содержимому запрещён</translation>
    </message>
    <message>
        <source>Content operation not permitted</source>
        <translation>Операция с содержимым не разрешена</translation>
    </message>
    <message>
        <source>Content not found</source>
        <translation>Содержимое не найдено</translation>
    </message>
    <message>
        <source>Authentication required</source>
        <translation>Требуется авторизация</translation>
    </message>
    <message>
        <source>Content re send</source>
        <translation>Требуется повторная отправка содержимого</translation>
    </message>
    <message>
        <source>Unknown content</source>
        <translation>Неизвестная ошибка содержимого</translation>
    </message>
    <message>
        <source>Protocol unknown</source>
        <translation>Неизвестный протокол</translation>
    </message>
    <message>
        <source>Protocol invalid operation</source>
        <translation>Недопустимая операция протокола</translation>
    </message>
    <message>
        <source>ProtocolFailure</source>
        <translation>Ошибка протокола</translation>
    </message>
    <message>
        <source>Uncknown error</source>
        <translation>Неизвестная ошибка</translation>
    </message>
</context>
<context>
    <name>HootKeyInput</name>
    <message>
        <source>Press a key combination</source>
        <translation>Нажмите сочетание клавиш</translation>
    </message>
    <message>
        <source>Esc for cancel</source>
        <translation>Esc — отмена</translation>
    </message>
</context>
<context>
    <name>HotkeyRow</name>
    <message>
        <source>Change</source>
        <translation>Изменить</translation>
    </message>
</context>
<context>
    <name>LastUploadPage</name>
    <message>
        <source>Upload complete</source>
        <translation>Загрузка завершена</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Открыть</translation>
    </message>
    <message>
        <source>Open link in the last screenshot/file</source>
        <translation>Открыть ссылку на последний снимок/файл</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
    <message>
        <source>Copy link of the last screenshot/file</source>
        <translation>Копировать ссылку на последний снимок/файл</translation>
    </message>
    <message>
        <source>Do not show this window</source>
        <translation>Больше не показывать это окно</translation>
    </message>
</context>
<context>
    <name>LastUploadWidget</name>
    <message>
        <source>Upload</source>
        <translation>Загрузка</translation>
    </message>
</context>
<context>
    <name>MainToolPage</name>
    <message>
        <source>Fragment</source>
        <translation>Фрагмент</translation>
    </message>
    <message>
        <source>Capture fragment screen</source>
        <translation>Снимок фрагмента экрана</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Весь экран</translation>
    </message>
    <message>
        <source>Fullscreen - capture full screen</source>
        <translation>Весь экран - снимок всего экрана</translation>
    </message>
    <message>
        <source>History</source>
        <translation>История</translation>
    </message>
    <message>
        <source>History - show history</source>
        <translation>История - показать историю</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Last upload</source>
        <translation>Последняя загрузка</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Открыть</translation>
    </message>
    <message>
        <source>Open link in the last screenshot/file</source>
        <translation>Открыть ссылку на последний снимок/файл</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
    <message>
        <source>Copy link of the last screenshot/file</source>
        <translation>Копировать ссылку на последний снимок/файл</translation>
    </message>
    <message>
        <source>To get started with Pryx you must log</source>
        <translation>Чтобы начать работу с Pryx, нужно войти</translation>
    </message>
    <message>
        <source>Enter to pryx</source>
        <translation>Войти в pryx</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Помощь</translation>
    </message>
</context>
<context>
    <name>MessageDialog</name>
    <message>
        <source>Ok</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Сообщение</translation>
    </message>
</context>
<context>
    <name>NetworkAccessManager</name>
    <message>
        <source>Proxy port must be a number from 1 to 65535</source>
        <translation>Порт прокси-сервера должен быть числом от 1 до 65535</translation>
    </message>
</context>
<context>
    <name>NetworkExchange</name>
    <message>
        <source>Max upload total size </source>
        <translation>Максимальный общий размер загрузки </translation>
    </message>
    <message>
        <source>mb</source>
        <translation>МБ</translation>
    </message>
</context>
<context>
    <name>ProxyPage</name>
    <message>
        <source>Proxy setting</source>
        <translation>Настройки прокси</translation>
    </message>
    <message>
        <source>The port must be a number from 1 to 65535</source>
        <translation>Порт должен быть числом от 1 до 65535</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Хост</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Порт</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Логин</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Пароль</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Принять</translation>
    </message>
</context>
<context>
    <name>QDropboxAuth</name>
    <message>
        <source>Dropbox authorization: cannot listen on 127.0.0.1:%1 (%2)</source>
        <translation>Авторизация в Dropbox: не удалось открыть порт 127.0.0.1:%1 (%2)</translation>
    </message>
    <message>
        <source>No web browser could be started. Open this address to authorise Pryx: %1</source>
        <translation>Не удалось запустить браузер. Откройте этот адрес, чтобы разрешить доступ Pryx: %1</translation>
    </message>
</context>
<context>
    <name>RegistrationPage</name>
    <message>
        <source>To get started, enter e-mail</source>
        <translation>Для начала введите e-mail</translation>
    </message>
    <message>
        <source>Registration from pryx</source>
        <translation>Регистрация в pryx</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Пароль</translation>
    </message>
    <message>
        <source>Recovery password</source>
        <translation>Восстановить пароль</translation>
    </message>
    <message>
        <source>Confirm password</source>
        <translation>Подтверждение пароля</translation>
    </message>
    <message>
        <source>Proxy setting</source>
        <translation>Настройки прокси</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Хост</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Порт</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Логин</translation>
    </message>
    <message>
        <source>Enter to pryx</source>
        <translation>Войти в pryx</translation>
    </message>
    <message>
        <source>Registration</source>
        <translation>Регистрация</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Далее</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Назад</translation>
    </message>
    <message>
        <source>You can enter a Pryx using one of the social networks</source>
        <translation>Войти в Pryx можно через одну из социальных сетей</translation>
    </message>
    <message>
        <source>Wellcome to Pryx,</source>
        <translation>Добро пожаловать в Pryx,</translation>
    </message>
    <message>
        <source>Start use pryx</source>
        <translation>Начать работу с pryx</translation>
    </message>
</context>
<context>
    <name>Setting</name>
    <message>
        <source>The settings file could not be read (%1) and could not be moved aside; settings are kept only until the program ends.</source>
        <translation>Не удалось прочитать файл настроек (%1) и переместить его; настройки сохранятся только до завершения программы.</translation>
    </message>
    <message>
        <source>The settings file could not be read (%1). It was kept as &quot;%2&quot; and the settings were reset.</source>
        <translation>Не удалось прочитать файл настроек (%1). Он сохранён как «%2», настройки сброшены.</translation>
    </message>
    <message>
        <source>The settings could not be saved: %1</source>
        <translation>Не удалось сохранить настройки: %1</translation>
    </message>
    <message>
        <source>Slect screen capture game path</source>
        <translation>Выберите папку для снимков из игр</translation>
    </message>
</context>
<context>
    <name>SettingPage</name>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Storage</source>
        <translation>Хранилище</translation>
    </message>
    <message>
        <source>Hot key</source>
        <translation>Клавиши</translation>
    </message>
    <message>
        <source>Reset by default</source>
        <translation>Сбросить</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Принять</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>SettingWidget</name>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
</context>
<context>
    <name>SettingsAuthDelegate</name>
    <message>
        <source>Pryx</source>
        <translation>Pryx</translation>
    </message>
    <message>
        <source>FTPSFTP</source>
        <translation>FTP\SFTP</translation>
    </message>
    <message>
        <source>Dropbox</source>
        <translation>Dropbox</translation>
    </message>
    <message>
        <source>Google disk</source>
        <translation>Google Диск</translation>
    </message>
</context>
<context>
    <name>SettingsAuthDropboxPage</name>
    <message>
        <source>Authorization in dropbox</source>
        <translation>Авторизация в Dropbox</translation>
    </message>
    <message>
        <source>Logout</source>
        <translation>Выйти</translation>
    </message>
    <message>
        <source>Usage</source>
        <translation>Занято</translation>
    </message>
    <message>
        <source>If process uploaded throw error upload file on pryx</source>
        <translation>При ошибке загрузки загрузить файл на Pryx</translation>
    </message>
</context>
<context>
    <name>SettingsAuthFtpPage</name>
    <message>
        <source>Host</source>
        <translation>Хост</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Порт</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Пользователь</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Пароль</translation>
    </message>
    <message>
        <source>Upload path</source>
        <translation>Папка загрузки</translation>
    </message>
    <message>
        <source>Base url</source>
        <translation>Базовый адрес</translation>
    </message>
    <message>
        <source>SFTP</source>
        <translation>SFTP</translation>
    </message>
    <message>
        <source>If process uploaded throw error upload file on pryx</source>
        <translation>При ошибке загрузки загрузить файл на Pryx</translation>
    </message>
    <message>
        <source>Check ftp connect</source>
        <translation>Проверить подключение</translation>
    </message>
</context>
<context>
    <name>SettingsAuthGoogleDiskPage</name>
    <message>
        <source>Goods disk settings</source>
        <translation>Настройки Google Диска</translation>
    </message>
</context>
<context>
    <name>SettingsAuthPryxPage</name>
    <message>
        <source>Logout</source>
        <translation>Выйти</translation>
    </message>
    <message>
        <source>Usage</source>
        <translation>Занято</translation>
    </message>
</context>
<context>
    <name>SettingsHotKeyDelegate</name>
    <message>
        <source>Primary</source>
        <translation>Основные</translation>
    </message>
    <message>
        <source>Fragment screen</source>
        <translation>Снимок области</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Снимок экрана</translation>
    </message>
    <message>
        <source>Quick screen</source>
        <translation>Быстрый снимок</translation>
    </message>
    <message>
        <source>Secondary</source>
        <translation>Дополнительные</translation>
    </message>
    <message>
        <source>Ctrl + Enter - Send screenshot to selected storage</source>
        <translation>Ctrl + Enter - Отправить снимок в выбранное хранилище</translation>
    </message>
    <message>
        <source>Ctrl + C - Copy screenshot to clipboard</source>
        <translation>Ctrl + C - Скопировать снимок в буфер обмена</translation>
    </message>
    <message>
        <source>Ctrl + S - Save it to your computer</source>
        <translation>Ctrl + S - Сохранить на компьютер</translation>
    </message>
    <message>
        <source>Ctrl + C - Copy on clipboard #hex of color under cursor</source>
        <translation>Ctrl + C - Скопировать #hex цвета под курсором</translation>
    </message>
    <message>
        <source>Esc - Cancel the removal of a screenshot</source>
        <translation>Esc - Отменить снимок</translation>
    </message>
    <message>
        <source>Social</source>
        <translation>Соцсети</translation>
    </message>
    <message>
        <source>Ctrl + Shift + F - Send screenshot to facebook</source>
        <translation>Ctrl + Shift + F - Отправить снимок в Facebook</translation>
    </message>
    <message>
        <source>Ctrl + Shift + T - Send screenshot to twitter</source>
        <translation>Ctrl + Shift + T - Отправить снимок в Twitter</translation>
    </message>
    <message>
        <source>Ctrl + Shift + V - Send screenshot to vkontakte</source>
        <translation>Ctrl + Shift + V - Отправить снимок во ВКонтакте</translation>
    </message>
    <message>
        <source>Ctrl + Shift + O - Send screenshot to odnoklassniki</source>
        <translation>Ctrl + Shift + O - Отправить снимок в Одноклассники</translation>
    </message>
    <message>
        <source>Ctrl + Shift + E - Send screenshot to e-mail</source>
        <translation>Ctrl + Shift + E - Отправить снимок по почте</translation>
    </message>
</context>
<context>
    <name>SettingsSettingDelegate</name>
    <message>
        <source>Image quality</source>
        <translation>Качество изображения</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Низкое</translation>
    </message>
    <message>
        <source>Average</source>
        <translation>Среднее</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Высокое</translation>
    </message>
    <message>
        <source>Run application on system boot</source>
        <translation>Запускать при старте системы</translation>
    </message>
    <message>
        <source>Use proxy</source>
        <translation>Использовать прокси</translation>
    </message>
    <message>
        <source>Save screen copy to select folder</source>
        <translation>Сохранять копию снимка в папку</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Изменить</translation>
    </message>
    <message>
        <source>Show upload process to server</source>
        <translation>Показывать процесс загрузки</translation>
    </message>
    <message>
        <source>Show information window after download</source>
        <translation>Показывать окно после загрузки</translation>
    </message>
    <message>
        <source>Use in the screenshot name title of the active window</source>
        <translation>Называть снимок по заголовку активного окна</translation>
    </message>
    <message>
        <source>Receive a direct link to a screenshot or a file</source>
        <translation>Получать прямую ссылку на снимок или файл</translation>
    </message>
    <message>
        <source>Show magnifier at the select rect</source>
        <translation>Показывать лупу при выделении</translation>
    </message>
    <message>
        <source>Prevent the closure of the window screenshot</source>
        <translation>Спрашивать перед закрытием окна снимка</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Язык</translation>
    </message>
</context>
<context>
    <name>SurfaceWindow</name>
    <message>
        <source>Cancel screen capture? All changes whill be lost!</source>
        <translation>Отменить снимок экрана? Все изменения будут потеряны!</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Да</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source>Do not show this window</source>
        <translation>Больше не показывать это окно</translation>
    </message>
    <message>
        <source>Press &quot;Play&quot; and use wheel or application scroll and drop his down</source>
        <translation>Нажмите «Play» и прокручивайте колесом мыши или полосой прокрутки приложения вниз</translation>
    </message>
</context>
<context>
    <name>ToolBar</name>
    <message>
        <source>&lt;b&gt;Tool Move and transform&lt;/b&gt;</source>
        <translation>&lt;b&gt;Инструмент «Перемещение и трансформация»&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Space - Switching to tool &quot;Move&quot;</source>
        <translation>Пробел — переключение на инструмент «Перемещение»</translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Pen&lt;/b&gt;</source>
        <translation>&lt;b&gt;Инструмент «Карандаш»&lt;/b&gt;</translation>
    </message>
    <message>
        <source>+ Shift - Drawing a straight line</source>
        <translation>+ Shift — рисование прямой линии</translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Marker&lt;/b&gt;</source>
        <translation>&lt;b&gt;Инструмент «Маркер»&lt;/b&gt;</translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Line&lt;/b&gt;</source>
        <translation>&lt;b&gt;Инструмент «Линия»&lt;/b&gt;</translation>
    </message>
    <message>
        <source>+ Shift - drawing a straight line at angles of 45°.</source>
        <translation>+ Shift — рисование прямой линии под углами, кратными 45°.</translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Arrow&lt;/b&gt;</source>
        <translation>&lt;b&gt;Инструмент «Стрелка»&lt;/b&gt;</translation>
    </message>
    <message>
        <source>+ Shift - drawing arrows at angles of 45°.</source>
        <translation>+ Shift — рисование стрелок под углами, кратными 45°.</translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Text&lt;/b&gt;</source>
        <translation>&lt;b&gt;Инструмент «Текст»&lt;/b&gt;</translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Ellipse&lt;/b&gt;</source>
        <translation>&lt;b&gt;Инструмент «Эллипс»&lt;/b&gt;</translation>
    </message>
    <message>
        <source>+ Shift - draw circle.
+ Ctrl - draws a filled.</source>
        <translation>+ Shift — рисование круга.
+ Ctrl — рисование с заливкой.</translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Rectangle&lt;/b&gt;</source>
        <translation>&lt;b&gt;Инструмент «Прямоугольник»&lt;/b&gt;</translation>
    </message>
    <message>
        <source>+ Shift - draw square.
+ Ctrl - draws a filled.</source>
        <translation>+ Shift — рисование квадрата.
+ Ctrl — рисование с заливкой.</translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Counter&lt;/b&gt;</source>
        <translation>&lt;b&gt;Инструмент «Счётчик»&lt;/b&gt;</translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Blur&lt;/b&gt;</source>
        <translation>&lt;b&gt;Инструмент «Размытие»&lt;/b&gt;</translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Blackout&lt;/b&gt;</source>
        <translation>&lt;b&gt;Инструмент «Затемнение»&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Substrate</source>
        <translation>Подложка</translation>
    </message>
</context>
<context>
    <name>ToolBarMenu</name>
    <message>
        <source>Public</source>
        <translation>Опубликовать</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
    <message>
        <source>Vkontakte</source>
        <translation>ВКонтакте</translation>
    </message>
    <message>
        <source>Odnoklassniki</source>
        <translation>Одноклассники</translation>
    </message>
    <message>
        <source>Facebook</source>
        <translation>Facebook</translation>
    </message>
    <message>
        <source>Twitter</source>
        <translation>Twitter</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>E-mail</translation>
    </message>
</context>
<context>
    <name>Updater</name>
    <message>
        <source>The update has no valid download address.</source>
        <translation>У обновления нет верного адреса для загрузки.</translation>
    </message>
    <message>
        <source>The update folder cannot be made.</source>
        <translation>Не удалось создать папку обновления.</translation>
    </message>
    <message>
        <source>The update cannot be saved.</source>
        <translation>Не удалось сохранить обновление.</translation>
    </message>
    <message>
        <source>The update is damaged.</source>
        <translation>Обновление повреждено.</translation>
    </message>
    <message>
        <source>The update cannot be unpacked.</source>
        <translation>Не удалось распаковать обновление.</translation>
    </message>
    <message>
        <source>The update could not be installed: the updater did not start.</source>
        <translation>Не удалось установить обновление: программа обновления не запустилась.</translation>
    </message>
</context>
<context>
    <name>UploadPage</name>
    <message>
        <source>Upload</source>
        <translation>Загрузка</translation>
    </message>
    <message>
        <source>Link already in the clipboard</source>
        <translation>Ссылка уже в буфере обмена</translation>
    </message>
    <message>
        <source>Upload...</source>
        <translation>Загрузка...</translation>
    </message>
    <message>
        <source>Archive...</source>
        <translation>Архивация...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Do not show this window</source>
        <translation>Больше не показывать это окно</translation>
    </message>
</context>
<context>
    <name>UploadWidget</name>
    <message>
        <source>Upload</source>
        <translation>Загрузка</translation>
    </message>
</context>
<context>
    <name>useful</name>
    <message>
        <source>KB</source>
        <translation>КБ</translation>
    </message>
    <message>
        <source>MB</source>
        <translation>МБ</translation>
    </message>
    <message>
        <source>GB</source>
        <translation>ГБ</translation>
    </message>
</context>
</TS>
