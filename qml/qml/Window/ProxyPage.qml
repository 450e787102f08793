import QtQuick 2.12
import "../Component" as Pc
import "Settings" as Ps

// Proxy settings: host, port, login and password, stored on Accept.
Pc.Window {
    id: page
    property string errorText: ""
    readonly property var fields: [host, port, login, password]

    titleText: "Pryx - " + qsTr("Proxy setting") + core.emptyString
    windowWidth: 410
    windowHeight: 385

    function valueOf(key) {
        var v = settings.getValue(key)
        return (v === undefined || v === null) ? "" : "" + v
    }

    // A port is a whole number from 1 to 65535; it may stay empty only
    // while there is no host.
    function portError() {
        var p = port.text.trim()
        if (p === "" && host.text.trim() === "")
            return ""
        if (!/^[0-9]+$/.test(p) || parseInt(p, 10) < 1 || parseInt(p, 10) > 65535)
            return qsTr("The port must be a number from 1 to 65535") + core.emptyString
        return ""
    }

    function accept() {
        errorText = portError()
        if (errorText !== "") {
            port.focus()
            return
        }
        settings.setValue("proxy_user", login.text)
        settings.setValue("proxy_password", password.text)
        settings.setValue("proxy_host", host.text.trim())
        settings.setValue("proxy_port", port.text.trim())
        window.close()
    }

    Keys.onTabPressed: moveFocus(1)
    Keys.onBacktabPressed: moveFocus(-1)
    function moveFocus(step) {
        for (var i = 0; i < fields.length; ++i) {
            if (fields[i].inputFocus) {
                fields[(i + step + fields.length) % fields.length].focus()
                return
            }
        }
        fields[0].focus()
    }

    Text {
        id: heading
        x: 30
        y: 50
        text: qsTr("Proxy setting") + core.emptyString
        color: settings.getValue("mainFontColor")
        font.family: page.fontFamily
        font.pixelSize: 16
        font.bold: true
    }

    Column {
        id: form
        x: 30
        anchors.top: heading.bottom
        anchors.topMargin: 18
        width: parent.width - 60
        spacing: 6

        Ps.FieldText { text: qsTr("Host") + core.emptyString }
        Pc.PTextInput {
            id: host
            objectName: "proxyHost"
            width: parent.width
            text: page.valueOf("proxy_host")
            onRightClick: text = core.clipboardText()
        }
        Ps.FieldText { text: qsTr("Port") + core.emptyString }
        Pc.PTextInput {
            id: port
            objectName: "proxyPort"
            width: 120
            text: page.valueOf("proxy_port")
            border.color: page.errorText !== "" ? "#d0021b" : (inputFocus ? "#7fb5d5" : "#bab8b8")
            onRightClick: text = core.clipboardText()
            onTextChanged: if (page.errorText !== "") page.errorText = page.portError()
        }
        Ps.FieldText { text: qsTr("Login") + core.emptyString }
        Pc.PTextInput {
            id: login
            objectName: "proxyLogin"
            width: parent.width
            text: page.valueOf("proxy_user")
            onRightClick: text = core.clipboardText()
        }
        Ps.FieldText { text: qsTr("Password") + core.emptyString }
        Pc.PTextInput {
            id: password
            objectName: "proxyPassword"
            width: parent.width
            echoMode: TextInput.Password
            text: page.valueOf("proxy_password")
            onRightClick: text = core.clipboardText()
        }
    }

    Text {
        objectName: "proxyError"
        x: 30
        anchors.top: form.bottom
        anchors.topMargin: 8
        width: parent.width - 60
        wrapMode: Text.WordWrap
        visible: page.errorText !== ""
        text: page.errorText
        color: "#d0021b"
        font.family: page.fontFamily
        font.pixelSize: 12
    }

    Pc.PushButtonBlue {
        objectName: "proxyAccept"
        anchors.right: parent.right
        anchors.rightMargin: 30
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 20
        text: qsTr("Accept") + core.emptyString
        onClick: page.accept()
    }
}
