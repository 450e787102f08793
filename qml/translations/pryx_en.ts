<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>ErrorDialog</name>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>ErrorWidget</name>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>HootKeyInput</name>
    <message>
        <source>Press a key combination</source>
        <translation>Press a key combination</translation>
    </message>
    <message>
        <source>Esc for cancel</source>
        <translation>Esc for cancel</translation>
    </message>
</context>
<context>
    <name>LastUploadWidget</name>
    <message>
        <source>Upload</source>
        <translation>Upload</translation>
    </message>
</context>
<context>
    <name>MessageDialog</name>
    <message>
        <source>Ok</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Message</translation>
    </message>
</context>
<context>
    <name>SettingWidget</name>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
</context>
<context>
    <name>UploadWidget</name>
    <message>
        <source>Upload</source>
        <translation>Upload</translation>
    </message>
</context>
<context>
    <name>useful</name>
    <message>
        <source>KB</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>MB</source>
        <translation>MB</translation>
    </message>
    <message>
        <source>GB</source>
        <translation>GB</translation>
    </message>
</context>
<context>
    <name>HotkeyRow</name>
    <message>
        <source>Change</source>
        <translation>Change</translation>
    </message>
</context>
<context>
    <name>ProxyPage</name>
    <message>
        <source>Proxy setting</source>
        <translation>Proxy setting</translation>
    </message>
    <message>
        <source>The port must be a number from 1 to 65535</source>
        <translation>The port must be a number from 1 to 65535</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Accept</translation>
    </message>
</context>
<context>
    <name>SettingPage</name>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Storage</source>
        <translation>Storage</translation>
    </message>
    <message>
        <source>Hot key</source>
        <translation>Hot key</translation>
    </message>
    <message>
        <source>Reset by default</source>
        <translation>Reset by default</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
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
        <translation>FTPSFTP</translation>
    </message>
    <message>
        <source>Dropbox</source>
        <translation>Dropbox</translation>
    </message>
    <message>
        <source>Google disk</source>
        <translation>Google disk</translation>
    </message>
</context>
<context>
    <name>SettingsAuthDropboxPage</name>
    <message>
        <source>Authorization in dropbox</source>
        <translation>Authorization in dropbox</translation>
    </message>
    <message>
        <source>Logout</source>
        <translation>Logout</translation>
    </message>
    <message>
        <source>Usage</source>
        <translation>Usage</translation>
    </message>
    <message>
        <source>If process uploaded throw error upload file on pryx</source>
        <translation>If process uploaded throw error upload file on pryx</translation>
    </message>
</context>
<context>
    <name>SettingsAuthFtpPage</name>
    <message>
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>User</source>
        <translation>User</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Upload path</source>
        <translation>Upload path</translation>
    </message>
    <message>
        <source>Base url</source>
        <translation>Base url</translation>
    </message>
    <message>
        <source>SFTP</source>
        <translation>SFTP</translation>
    </message>
    <message>
        <source>If process uploaded throw error upload file on pryx</source>
        <translation>If process uploaded throw error upload file on pryx</translation>
    </message>
    <message>
        <source>Check ftp connect</source>
        <translation>Check ftp connect</translation>
    </message>
</context>
<context>
    <name>SettingsAuthGoogleDiskPage</name>
    <message>
        <source>Goods disk settings</source>
        <translation>Goods disk settings</translation>
    </message>
</context>
<context>
    <name>SettingsAuthPryxPage</name>
    <message>
        <source>Logout</source>
        <translation>Logout</translation>
    </message>
    <message>
        <source>Usage</source>
        <translation>Usage</translation>
    </message>
</context>
<context>
    <name>SettingsHotKeyDelegate</name>
    <message>
        <source>Primary</source>
        <translation>Primary</translation>
    </message>
    <message>
        <source>Fragment screen</source>
        <translation>Fragment screen</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>Quick screen</source>
        <translation>Quick screen</translation>
    </message>
    <message>
        <source>Secondary</source>
        <translation>Secondary</translation>
    </message>
    <message>
        <source>Ctrl + Enter - Send screenshot to selected storage</source>
        <translation>Ctrl + Enter - Send screenshot to selected storage</translation>
    </message>
    <message>
        <source>Ctrl + C - Copy screenshot to clipboard</source>
        <translation>Ctrl + C - Copy screenshot to clipboard</translation>
    </message>
    <message>
        <source>Ctrl + S - Save it to your computer</source>
        <translation>Ctrl + S - Save it to your computer</translation>
    </message>
    <message>
        <source>Ctrl + C - Copy on clipboard #hex of color under cursor</source>
        <translation>Ctrl + C - Copy on clipboard #hex of color under cursor</translation>
    </message>
    <message>
        <source>Esc - Cancel the removal of a screenshot</source>
        <translation>Esc - Cancel the removal of a screenshot</translation>
    </message>
    <message>
        <source>Social</source>
        <translation>Social</translation>
    </message>
    <message>
        <source>Ctrl + Shift + F - Send screenshot to facebook</source>
        <translation>Ctrl + Shift + F - Send screenshot to facebook</translation>
    </message>
    <message>
        <source>Ctrl + Shift + T - Send screenshot to twitter</source>
        <translation>Ctrl + Shift + T - Send screenshot to twitter</translation>
    </message>
    <message>
        <source>Ctrl + Shift + V - Send screenshot to vkontakte</source>
        <translation>Ctrl + Shift + V - Send screenshot to vkontakte</translation>
    </message>
    <message>
        <source>Ctrl + Shift + O - Send screenshot to odnoklassniki</source>
        <translation>Ctrl + Shift + O - Send screenshot to odnoklassniki</translation>
    </message>
    <message>
        <source>Ctrl + Shift + E - Send screenshot to e-mail</source>
        <translation>Ctrl + Shift + E - Send screenshot to e-mail</translation>
    </message>
</context>
<context>
    <name>SettingsSettingDelegate</name>
    <message>
        <source>Image quality</source>
        <translation>Image quality</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>Average</source>
        <translation>Average</translation>
    </message>
    <message>
        <source>High</source>
        <translation>High</translation>
    </message>
    <message>
        <source>Run application on system boot</source>
        <translation>Run application on system boot</translation>
    </message>
    <message>
        <source>Use proxy</source>
        <translation>Use proxy</translation>
    </message>
    <message>
        <source>Save screen copy to select folder</source>
        <translation>Save screen copy to select folder</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>Show upload process to server</source>
        <translation>Show upload process to server</translation>
    </message>
    <message>
        <source>Show information window after download</source>
        <translation>Show information window after download</translation>
    </message>
    <message>
        <source>Use in the screenshot name title of the active window</source>
        <translation>Use in the screenshot name title of the active window</translation>
    </message>
    <message>
        <source>Receive a direct link to a screenshot or a file</source>
        <translation>Receive a direct link to a screenshot or a file</translation>
    </message>
    <message>
        <source>Show magnifier at the select rect</source>
        <translation>Show magnifier at the select rect</translation>
    </message>
    <message>
        <source>Prevent the closure of the window screenshot</source>
        <translation>Prevent the closure of the window screenshot</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Language</translation>
    </message>
</context>
</TS>
