<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
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
    <name>LastUploadWidget</name>
    <message>
        <source>Upload</source>
        <translation>Загрузка</translation>
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
    <name>SettingWidget</name>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
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
<context>
    <name>HotkeyRow</name>
    <message>
        <source>Change</source>
        <translation>Изменить</translation>
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
</TS>
