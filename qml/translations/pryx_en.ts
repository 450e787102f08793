<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AudioImagePlayer</name>
    <message>
        <source>Player</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Autorization</name>
    <message>
        <source>Error start socket</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E-mail is not valid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password is empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirm password is empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Passwords do not match</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Internet connect not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Email not specified</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Feedback not specified</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your review posted!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wrong password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The service sent no access token</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Core</name>
    <message>
        <source>The capture is empty and was not uploaded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The capture could not be encoded and was not uploaded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The capture could not be written to %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The capture is empty and was not saved</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The capture could not be written to %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file %1 could not be replaced</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file %1 could not be written</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file %1 could not be written: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Internet is not available. Save file to disk ?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1. Save file to disk ?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The capture file is no longer there</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot replace the file %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot save the file %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hey! I Pryx. The faster program to create screenshots and transfer files over a network. Are you forgot for me ? Let`s do screenshot!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Support</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Support and Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>News and answers in our Telegram channel: %1&lt;br&gt;Write to the support team: %2&lt;br&gt;Ask the community on the help forum: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Internet is not available</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CurlUploadThread</name>
    <message>
        <source>Well done</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished">Error</translation>
    </message>
</context>
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
    <name>HandleDropboxUpload</name>
    <message>
        <source>Dropbox account is not auth</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not build the archive: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HandleFTPUpload</name>
    <message>
        <source>FTP host is null</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FTP connection is avaliable</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HandleSFTPUpload</name>
    <message>
        <source>SFTP host is null</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SFTP connection is avaliable</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HandlerUpload</name>
    <message>
        <source>There are no files to upload</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server sent an invalid reply</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not create the archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot read the file %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection refused</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remote host closed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Host not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Timeout</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Operation canceled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ssl handshake failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Temporary network failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown network</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy connection refused</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy connection closed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy timeout</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy authentication required</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown proxy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Content access denied</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Content operation not permitted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Content not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Authentication required</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Content re send</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown content</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Protocol unknown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Protocol invalid operation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ProtocolFailure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uncknown error</source>
        <translation type="unfinished"></translation>
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
    <name>HotkeyRow</name>
    <message>
        <source>Change</source>
        <translation>Change</translation>
    </message>
</context>
<context>
    <name>LastUploadPage</name>
    <message>
        <source>Upload complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open link in the last screenshot/file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy link of the last screenshot/file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do not show this window</source>
        <translation type="unfinished"></translation>
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
    <name>MainToolPage</name>
    <message>
        <source>Fragment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Capture fragment screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation type="unfinished">Full screen</translation>
    </message>
    <message>
        <source>Fullscreen - capture full screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>History</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>History - show history</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings</source>
        <translation type="unfinished">Settings</translation>
    </message>
    <message>
        <source>Last upload</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open link in the last screenshot/file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy link of the last screenshot/file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>To get started with Pryx you must log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter to pryx</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
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
    <name>NetworkAccessManager</name>
    <message>
        <source>Proxy port must be a number from 1 to 65535</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>NetworkExchange</name>
    <message>
        <source>Max upload total size </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>mb</source>
        <translation type="unfinished"></translation>
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
    <name>QDropboxAuth</name>
    <message>
        <source>Dropbox authorization: cannot listen on 127.0.0.1:%1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No web browser could be started. Open this address to authorise Pryx: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RegistrationPage</name>
    <message>
        <source>To get started, enter e-mail</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Registration from pryx</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy setting</source>
        <translation type="unfinished">Proxy setting</translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished">Password</translation>
    </message>
    <message>
        <source>Recovery password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirm password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished">Error</translation>
    </message>
    <message>
        <source>Host</source>
        <translation type="unfinished">Host</translation>
    </message>
    <message>
        <source>Port</source>
        <translation type="unfinished">Port</translation>
    </message>
    <message>
        <source>Login</source>
        <translation type="unfinished">Login</translation>
    </message>
    <message>
        <source>Enter to pryx</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Registration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You can enter a Pryx using one of the social networks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wellcome to Pryx,</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start use pryx</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Setting</name>
    <message>
        <source>The settings file could not be read (%1) and could not be moved aside; settings are kept only until the program ends.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings file could not be read (%1). It was kept as &quot;%2&quot; and the settings were reset.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings could not be saved: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slect screen capture game path</source>
        <translation type="unfinished"></translation>
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
    <name>SettingWidget</name>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
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
<context>
    <name>SurfaceWindow</name>
    <message>
        <source>Cancel screen capture? All changes whill be lost!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do not show this window</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Press &quot;Play&quot; and use wheel or application scroll and drop his down</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ToolBar</name>
    <message>
        <source>&lt;b&gt;Tool Move and transform&lt;/b&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Space - Switching to tool &quot;Move&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Pen&lt;/b&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>+ Shift - Drawing a straight line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Marker&lt;/b&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Line&lt;/b&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>+ Shift - drawing a straight line at angles of 45°.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Arrow&lt;/b&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>+ Shift - drawing arrows at angles of 45°.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Text&lt;/b&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Ellipse&lt;/b&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>+ Shift - draw circle.
+ Ctrl - draws a filled.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Rectangle&lt;/b&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>+ Shift - draw square.
+ Ctrl - draws a filled.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Counter&lt;/b&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Blur&lt;/b&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Tool Blackout&lt;/b&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Substrate</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ToolBarMenu</name>
    <message>
        <source>Public</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vkontakte</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Odnoklassniki</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Facebook</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Twitter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Updater</name>
    <message>
        <source>The update has no valid download address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update folder cannot be made.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update cannot be saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update is damaged.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update cannot be unpacked.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update could not be installed: the updater did not start.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UploadPage</name>
    <message>
        <source>Upload</source>
        <translation type="unfinished">Upload</translation>
    </message>
    <message>
        <source>Link already in the clipboard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upload...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archive...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished">Cancel</translation>
    </message>
    <message>
        <source>Do not show this window</source>
        <translation type="unfinished"></translation>
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
</TS>
