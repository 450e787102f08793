import QtQuick 2.12
import "../../Component" as Pc
import "values.js" as St
import "../../Component/useful.js" as Fn

// Settings tab: image quality, the program's switches and the language.
Item {
    id: root
    property int quality: 1
    property string folder: ""
    // "ru", "en", or empty while neither is chosen
    property string lang: ""
    implicitWidth: 540
    implicitHeight: 460
    width: implicitWidth
    height: implicitHeight

    function hasFolder() { return folder !== "" && folder !== "0" }
    function proxyHostEmpty() { return St.text(settings.getValue("proxy_host")) === "" }
    function readFolder() { folder = St.text(settings.getValue("saveScreenFolder")) }

    // The stored values the controls last showed.
    property var base: ({})
    readonly property var controls: [
        { key: "qualityImage", read: function() { var q = parseInt(St.text(settings.qualityImage), 10)
                                                  return (q === 0 || q === 2) ? q : 1 },
          get: function() { return root.quality }, set: function(v) { root.quality = v } },
        box("autostart", autostartBox, function() { return settings.autostart }),
        box("useProxy", useProxyBox, function() { return settings.useProxy }),
        box("useSaveScreen", saveScreenBox, function() { return settings.useSaveScreen }),
        box("show_upload", showUploadBox, function() { return settings.showUpload }),
        box("show_last_upload", showLastUploadBox, function() { return settings.showLastUpload }),
        box("showActiveWindow", activeWindowBox, function() { return settings.showActiveWindow }),
        box("shortLink", shortLinkBox, function() { return settings.shortLink }),
        box("showMagnifier", magnifierBox, function() { return settings.showMagnifier }),
        box("showCloseSurfaceWindow", closeSurfaceBox, function() { return settings.showCloseSurfaceWindow }),
        { key: "language", read: function() { var l = St.text(settings.language)
                                              return (l === "ru" || l === "en") ? l : "" },
          get: function() { return root.lang }, set: function(v) { root.lang = v } }
    ]
    function box(key, item, stored) {
        return { key: key, read: function() { return Fn.flag(stored()) },
                 get: function() { return item.check }, set: function(v) { item.check = v } }
    }

    Component.onCompleted: {
        readFolder()
        for (var i = 0; i < controls.length; ++i)
            St.load(controls[i], base)
    }

    // Changes made elsewhere (logout, the upload windows' boxes, another
    // program part) reach the controls the user has not touched.
    Connections {
        target: settings
        function onValueChanged(name, value) {
            if (name === "" || name === "saveScreenFolder")
                root.readFolder()
            for (var i = 0; i < root.controls.length; ++i)
                St.follow(root.controls[i], root.base, name)
        }
    }

    function selectFolder() {
        core.selectSaveScreenFolder()
        readFolder()
    }

    // Writes the tab; closes the window unless the language changed.
    function save() {
        var languageChanged = lang !== "" && lang !== St.text(settings.language)
        settings.setValue("qualityImage", quality)
        settings.autostart = autostartBox.check
        settings.useProxy = useProxyBox.check
        // Saved copies need a folder: a cancelled choice leaves them off.
        settings.useSaveScreen = saveScreenBox.check && hasFolder()
        settings.showUpload = showUploadBox.check
        settings.showLastUpload = showLastUploadBox.check
        settings.showActiveWindow = activeWindowBox.check
        settings.shortLink = shortLinkBox.check
        settings.showMagnifier = magnifierBox.check
        settings.showCloseSurfaceWindow = closeSurfaceBox.check
        if (lang !== "")
            settings.language = lang
        if (proxyHostEmpty()) {
            settings.useProxy = false
            useProxyBox.check = false
        }
        if (!saveScreenBox.check || !hasFolder())
            saveScreenBox.check = false
        if (!languageChanged)
            window.close()
    }

    Connections {
        target: core
        ignoreUnknownSignals: true
        function onCloseProxyWindow() {
            if (root.proxyHostEmpty()) {
                useProxyBox.check = false
                settings.useProxy = false
            }
        }
    }

    Column {
        width: parent.width
        spacing: 9

        Text {
            text: qsTr("Image quality") + core.emptyString
            color: settings.getValue("mainFontColor")
            font.family: settings.getValue("mainFontFamily")
            font.pixelSize: 14
            font.bold: true
        }
        Row {
            spacing: 24
            Pc.RadioButton {
                objectName: "qualityLow"
                text: qsTr("Low") + core.emptyString
                check: root.quality === 0
                onClick: { root.quality = 0; check = Qt.binding(function() { return root.quality === 0 }) }
            }
            Pc.RadioButton {
                objectName: "qualityAverage"
                text: qsTr("Average") + core.emptyString
                check: root.quality === 1
                onClick: { root.quality = 1; check = Qt.binding(function() { return root.quality === 1 }) }
            }
            Pc.RadioButton {
                objectName: "qualityHigh"
                text: qsTr("High") + core.emptyString
                check: root.quality === 2
                onClick: { root.quality = 2; check = Qt.binding(function() { return root.quality === 2 }) }
            }
        }
        Item { width: 1; height: 4 }
        Pc.CheckBox {
            id: autostartBox
            objectName: "autostartBox"
            text: qsTr("Run application on system boot") + core.emptyString
        }
        Pc.CheckBox {
            id: useProxyBox
            objectName: "useProxyBox"
            text: qsTr("Use proxy") + core.emptyString
            onClick: if (check) core.showProxyWidget()
        }
        Pc.CheckBox {
            id: saveScreenBox
            objectName: "saveScreenBox"
            text: qsTr("Save screen copy to select folder") + core.emptyString
            onClick: {
                if (check && !root.hasFolder()) {
                    root.selectFolder()
                    if (!root.hasFolder())
                        saveScreenBox.check = false
                }
            }
        }
        Row {
            visible: saveScreenBox.check
            x: 20
            spacing: 10
            Text {
                objectName: "saveFolderText"
                width: 380
                elide: Text.ElideMiddle
                text: root.folder
                color: "#7a8085"
                font.family: settings.getValue("mainFontFamily")
                font.pixelSize: 12
            }
            Pc.Link {
                objectName: "saveFolderChange"
                text: qsTr("Change") + core.emptyString
                pixelSize: 12
                onClick: root.selectFolder()
            }
        }
        Pc.CheckBox {
            id: showUploadBox
            objectName: "showUploadBox"
            text: qsTr("Show upload process to server") + core.emptyString
        }
        Pc.CheckBox {
            id: showLastUploadBox
            objectName: "showLastUploadBox"
            text: qsTr("Show information window after download") + core.emptyString
        }
        Pc.CheckBox {
            id: activeWindowBox
            objectName: "activeWindowBox"
            text: qsTr("Use in the screenshot name title of the active window") + core.emptyString
        }
        Pc.CheckBox {
            id: shortLinkBox
            objectName: "shortLinkBox"
            text: qsTr("Receive a direct link to a screenshot or a file") + core.emptyString
        }
        Pc.CheckBox {
            id: magnifierBox
            objectName: "magnifierBox"
            text: qsTr("Show magnifier at the select rect") + core.emptyString
        }
        Pc.CheckBox {
            id: closeSurfaceBox
            objectName: "closeSurfaceBox"
            text: qsTr("Prevent the closure of the window screenshot") + core.emptyString
        }
        Item { width: 1; height: 4 }
        Text {
            text: qsTr("Language") + core.emptyString
            color: settings.getValue("mainFontColor")
            font.family: settings.getValue("mainFontFamily")
            font.pixelSize: 14
            font.bold: true
        }
        Row {
            spacing: 8
            ChoiceButton {
                objectName: "languageRu"
                text: "Русский"
                check: root.lang === "ru"
                onClick: root.lang = "ru"
            }
            ChoiceButton {
                objectName: "languageEn"
                text: "English"
                check: root.lang === "en"
                onClick: root.lang = "en"
            }
        }
    }
}
