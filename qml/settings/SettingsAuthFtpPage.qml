import QtQuick 2.12
import "../../Component" as Pc
import "values.js" as St
import "../../Component/useful.js" as Fn

// Storage page of the FTP and SFTP targets. The fields show the values of
// the protocol the SFTP box selects; edits of the other one are kept until
// the page closes. Stored values that change meanwhile (a logout clears
// them) replace what the user has not edited.
Item {
    id: root
    property bool checking: false
    property var ftpValues: ({})
    property var sftpValues: ({})
    // The stored values the page last read, per protocol, and of the boxes.
    property var ftpBase: ({})
    property var sftpBase: ({})
    property var boxBase: ({})
    readonly property var boxes: [
        { key: "is_sftp", read: function() { return Fn.flag(settings.getValue("is_sftp")) },
          get: function() { return sftpBox.check }, set: function(v) { root.setSftp(v) } },
        { key: "is_ftp_error_upload_pryx",
          read: function() { return Fn.flag(settings.getValue("is_ftp_error_upload_pryx")) },
          get: function() { return errorBox.check }, set: function(v) { errorBox.check = v } }
    ]
    readonly property var fields: [host, port, user, password, path, baseUrl]
    readonly property var keys: ["host", "port", "user", "password", "path", "base_url"]
    implicitWidth: 540
    implicitHeight: 300
    width: implicitWidth
    height: implicitHeight

    function stored(prefix) {
        var v = {}
        for (var i = 0; i < keys.length; ++i)
            v[keys[i]] = St.text(settings.getValue(prefix + keys[i]))
        return v
    }
    function defaultPort(sftp) { return sftp ? "22" : "21" }
    function shownPort(v, sftp) { return (v === "" || v === "0") ? defaultPort(sftp) : v }
    function sameValue(key, a, b, sftp) {
        return key === "port" ? shownPort(a, sftp) === shownPort(b, sftp) : a === b
    }
    // One stored key changed: the field (or the kept value of the protocol
    // not shown) takes it unless the user edited it.
    function followKey(prefix, key) {
        var i = keys.indexOf(key)
        if (i < 0)
            return
        var sftp = prefix === "sftp_"
        var base = sftp ? sftpBase : ftpBase
        var v = St.text(settings.getValue(prefix + key))
        if (sftpBox.check === sftp) {
            if (sameValue(key, fields[i].text, base[key], sftp))
                fields[i].text = key === "port" ? shownPort(v, sftp) : v
        } else {
            var kept = sftp ? sftpValues : ftpValues
            if (sameValue(key, kept[key], base[key], sftp))
                kept[key] = v
        }
        base[key] = v
    }
    function followBoxes(name) {
        for (var i = 0; i < boxes.length; ++i)
            St.follow(boxes[i], boxBase, name)
    }
    function show(values, sftp) {
        for (var i = 0; i < keys.length; ++i)
            fields[i].text = values[keys[i]]
        if (port.text === "" || port.text === "0")
            port.text = defaultPort(sftp)
    }
    function current() {
        var v = {}
        for (var i = 0; i < keys.length; ++i)
            v[keys[i]] = fields[i].text
        return v
    }
    function setSftp(on) {
        if (on === sftpBox.check)
            return
        if (sftpBox.check)
            sftpValues = current()
        else
            ftpValues = current()
        sftpBox.check = on
        show(on ? sftpValues : ftpValues, on)
    }
    function portNumber() {
        var n = parseInt(port.text, 10)
        return (isNaN(n) || n < 1) ? parseInt(defaultPort(sftpBox.check), 10) : n
    }

    function checkConnection() {
        var fn = sftpBox.check ? core.checkSFTPConnecrion : core.checkFtpConnecrion
        if (typeof fn !== "function")
            return
        checking = true
        if (sftpBox.check)
            core.checkSFTPConnecrion(user.text, password.text, host.text, path.text, portNumber())
        else
            core.checkFtpConnecrion(user.text, password.text, host.text, path.text, portNumber())
    }

    function save() {
        var sftp = sftpBox.check
        var prefix = sftp ? "sftp_" : "ftp_"
        settings.setValue("is_sftp", sftp)
        for (var i = 0; i < keys.length; ++i)
            settings.setValue(prefix + keys[i], fields[i].text)
        settings.setValue("is_ftp_error_upload_pryx", errorBox.check)
    }

    Component.onCompleted: {
        ftpValues = stored("ftp_")
        sftpValues = stored("sftp_")
        ftpBase = stored("ftp_")
        sftpBase = stored("sftp_")
        var sftp = Fn.flag(settings.getValue("is_sftp"))
        sftpBox.check = sftp
        show(sftp ? sftpValues : ftpValues, sftp)
        errorBox.check = Fn.flag(settings.getValue("is_ftp_error_upload_pryx"))
        boxBase = { "is_sftp": sftpBox.check, "is_ftp_error_upload_pryx": errorBox.check }
    }

    Connections {
        target: settings
        function onValueChanged(name, value) {
            if (name === "") {
                root.followBoxes(name)
                for (var i = 0; i < root.keys.length; ++i) {
                    root.followKey("ftp_", root.keys[i])
                    root.followKey("sftp_", root.keys[i])
                }
            } else if (name.indexOf("sftp_") === 0) {
                root.followKey("sftp_", name.substring(5))
            } else if (name.indexOf("ftp_") === 0) {
                root.followKey("ftp_", name.substring(4))
            } else {
                root.followBoxes(name)
            }
        }
    }

    Connections {
        target: core
        ignoreUnknownSignals: true
        function onCheckConnectionFinished() { root.checking = false }
    }

    // Tab and Shift+Tab move between the fields.
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

    Grid {
        id: grid
        columns: 2
        columnSpacing: 12
        rowSpacing: 6
        verticalItemAlignment: Grid.AlignVCenter
        FieldLabel { text: qsTr("Host") + core.emptyString }
        Pc.PTextInput { id: host; objectName: "ftpHost"; width: 380; height: 26 }
        FieldLabel { text: qsTr("Port") + core.emptyString }
        Pc.PTextInput {
            id: port; objectName: "ftpPort"; width: 80; height: 26
            validator: IntValidator { bottom: 0; top: 65535 }
        }
        FieldLabel { text: qsTr("User") + core.emptyString }
        Pc.PTextInput { id: user; objectName: "ftpUser"; width: 380; height: 26 }
        FieldLabel { text: qsTr("Password") + core.emptyString }
        Pc.PTextInput { id: password; objectName: "ftpPassword"; width: 380; height: 26; echoMode: TextInput.Password }
        FieldLabel { text: qsTr("Upload path") + core.emptyString }
        Pc.PTextInput { id: path; objectName: "ftpPath"; width: 380; height: 26 }
        FieldLabel { text: qsTr("Base url") + core.emptyString }
        Pc.PTextInput { id: baseUrl; objectName: "ftpBaseUrl"; width: 380; height: 26 }
    }

    Column {
        id: boxes
        anchors.top: grid.bottom
        anchors.topMargin: 12
        spacing: 8
        Pc.CheckBox {
            id: sftpBox
            objectName: "sftpBox"
            text: qsTr("SFTP") + core.emptyString
            onClick: {
                // The box has toggled itself; switch the fields over.
                sftpBox.check = !check
                root.setSftp(check)
            }
        }
        Pc.CheckBox {
            id: errorBox
            objectName: "ftpErrorBox"
            text: qsTr("If process uploaded throw error upload file on pryx") + core.emptyString
        }
    }

    Row {
        anchors.top: boxes.top
        anchors.right: parent.right
        layoutDirection: Qt.RightToLeft
        spacing: 10
        Pc.PushButton {
            id: checkButton
            objectName: "checkButton"
            text: qsTr("Check ftp connect") + core.emptyString
            onClick: if (!root.checking) root.checkConnection()
        }
        AnimatedImage {
            objectName: "busyImage"
            anchors.verticalCenter: parent.verticalCenter
            visible: root.checking
            playing: visible
            source: "qrc:/component/image/component/download.gif"
        }
    }
}
