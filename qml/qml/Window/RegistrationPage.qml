import QtQuick 2.12
import "../Component" as Pc
import "../Component/useful.js" as Fn

// Login and registration: e-mail first, then the password (known e-mail) or
// password and confirmation (new e-mail); the social logins; a proxy form when
// the service cannot be reached; the welcome view at the end.
Pc.Window {
    id: page

    // Values of the login object's status.
    readonly property int sCheckEmail: 0
    readonly property int sCheckPassword: 1
    readonly property int sCheckRegistration: 2
    readonly property int sInternetError: 4
    readonly property int sNoneAuth: 8

    // A login object that cannot run the dialogue counts as none.
    readonly property var account: core.account && typeof core.account.resetAutorization === "function"
                                   ? core.account : null
    readonly property int status: account && account.statusAutorization !== undefined
                                  ? account.statusAutorization : sNoneAuth
    readonly property bool askPassword: status === sCheckPassword || status === sCheckRegistration
    readonly property bool registration: status === sCheckRegistration
    readonly property string windowManager: core.getWindowsManager()

    property string captionText: qsTr("To get started, enter e-mail") + core.emptyString
    property bool busy: false
    property string emailError: ""
    property string passwordError: ""
    property string confirmError: ""
    property bool formShown: true
    property bool proxyShown: false
    property bool welcomeShown: false
    property bool nextShown: true
    property bool socialShown: true
    property string proxyError: ""
    // Set while the e-mail is edited at a later step: the text typed stays.
    property bool keepEmail: false
    // Set by an "internet" error raised during a social login call.
    property bool internetFailed: false
    // Set while the page itself shows the window again after a social login.
    property bool reshowing: false

    titleText: "Pryx"
    windowWidth: 430
    windowHeight: 340

    function hideErrors() {
        emailError = ""
        passwordError = ""
        confirmError = ""
    }

    // The account's state as it is now: it enters some states (the internet
    // error among them) without announcing them.
    function currentStatus() {
        return account && account.statusAutorization !== undefined ? account.statusAutorization : sNoneAuth
    }

    function nextStep() {
        if (!account)
            return
        busy = true
        hideErrors()
        switch (currentStatus()) {
        case sNoneAuth:
        case sCheckEmail:
            account.checkEmail(email.text)
            break
        case sCheckPassword:
            account.checkPassword(email.text, password.text)
            break
        case sCheckRegistration:
            account.checkRegistration(email.text, password.text, confirm.text)
            break
        case sInternetError:
            settings.useProxy = true
            storeProxy()
            account.resetAutorization()
            break
        default:
            busy = false
        }
    }

    function storeProxy() {
        settings.setValue("proxy_host", proxyHost.text)
        settings.setValue("proxy_port", proxyPort.text)
        settings.setValue("proxy_user", proxyLogin.text)
        settings.setValue("proxy_password", proxyPassword.text)
    }

    function leaveProxy() {
        if (account)
            account.resetAutorization()
        else
            applyStatus()
        storeProxy()
        if (proxyHost.text !== "" || proxyPort.text !== "")
            settings.useProxy = true
    }

    function applyStatus() {
        busy = false
        hideErrors()
        proxyShown = false
        formShown = true
        if (status === sNoneAuth || status === sCheckEmail) {
            if (!keepEmail)
                email.text = ""
            password.text = ""
            confirm.text = ""
            welcomeShown = false
            nextShown = true
            socialShown = true
            captionText = Qt.binding(function() { return qsTr("To get started, enter e-mail") + core.emptyString })
            windowWidth = 430
            windowHeight = 340
        } else if (status === sCheckPassword) {
            windowHeight = 395
            password.focus()
        } else if (status === sCheckRegistration) {
            captionText = Qt.binding(function() { return qsTr("Registration from pryx") + core.emptyString })
            windowHeight = 450
            password.focus()
        }
        keepEmail = false
    }

    function finished() {
        busy = false
        formShown = false
        proxyShown = false
        nextShown = false
        socialShown = false
        welcomeShown = true
        windowWidth = 640
        windowHeight = 440
        if (windowManager !== "unity")
            core.startArrowAnimation()
    }

    readonly property var socialLogins: ({ fb: "openFbUrl", tw: "openTwitterUrl",
                                           vk: "openVkUrl", od: "openOdnoklasnikiUrl" })
    function social(name) {
        if (!account)
            return
        internetFailed = false
        account[socialLogins[name]]()
        if (!internetFailed)
            window.hide()
    }

    function reshow() {
        reshowing = true
        window.show()
        reshowing = false
    }

    function emailEdited() {
        if (account && askPassword) {
            keepEmail = true
            account.resetAutorization()
            keepEmail = false
        }
    }

    Connections {
        target: page.account
        ignoreUnknownSignals: true
        function onStatusAutorizationChanged() { page.applyStatus() }
        function onAuthError(key, value) {
            page.busy = false
            if (key === "email")
                page.emailError = " - " + value
            else if (key === "password")
                page.passwordError = " - " + value
            else if (key === "confirm")
                page.confirmError = " - " + value
            else if (key === "internet") {
                page.internetFailed = true
                page.formShown = false
                page.socialShown = false
                page.welcomeShown = false
                page.nextShown = true
                page.proxyShown = true
                page.proxyError = value
                page.windowWidth = 430
                page.windowHeight = 390
                // A social login may have hidden the window.
                if (!window.visible)
                    page.reshow()
            }
        }
        function onRegistrationFinished() { page.finished() }
        function onAuthFinished() {
            page.reshow()
            page.finished()
        }
    }

    Connections {
        target: window
        function onShowed() {
            if (page.reshowing)
                return
            page.captionText = Qt.binding(function() { return qsTr("To get started, enter e-mail") + core.emptyString })
            if (page.account)
                page.account.resetAutorization()
            else
                page.applyStatus()
        }
    }

    Text {
        id: caption
        objectName: "caption"
        visible: !page.welcomeShown
        x: 40
        y: 48
        text: page.proxyShown ? qsTr("Proxy setting") + core.emptyString : page.captionText
        color: settings.getValue("mainFontColor")
        font.family: page.fontFamily
        font.pixelSize: 18
    }

    Column {
        id: form
        objectName: "form"
        visible: page.formShown
        x: 40
        anchors.top: caption.bottom
        anchors.topMargin: 16
        width: parent.width - 80
        spacing: 5

        Row {
            spacing: 0
            Text {
                text: "E-mail"
                color: settings.getValue("mainFontColor")
                font.family: page.fontFamily
                font.pixelSize: 13
            }
            Text {
                objectName: "emailError"
                visible: page.emailError !== ""
                text: page.emailError
                color: "#d0021b"
                font.family: page.fontFamily
                font.pixelSize: 13
            }
        }
        Pc.PTextInput {
            id: email
            objectName: "email"
            width: parent.width
            onAccepted: page.nextStep()
            onRightClick: text = core.clipboardText()
            onTextChanged: page.emailEdited()
            Keys.onTabPressed: if (page.askPassword) password.focus()
        }

        Row {
            visible: page.askPassword
            topPadding: 6
            Text {
                text: qsTr("Password") + core.emptyString
                color: settings.getValue("mainFontColor")
                font.family: page.fontFamily
                font.pixelSize: 13
            }
            Text {
                objectName: "passwordError"
                visible: page.passwordError !== ""
                text: page.passwordError
                color: "#d0021b"
                font.family: page.fontFamily
                font.pixelSize: 13
            }
        }
        Pc.PTextInput {
            id: password
            objectName: "password"
            visible: page.askPassword
            width: parent.width
            echoMode: TextInput.Password
            function advance() {
                if (page.registration && confirm.text === "")
                    confirm.focus()
                else
                    page.nextStep()
            }
            onAccepted: advance()
            Keys.onTabPressed: advance()
            onRightClick: text = core.clipboardText()
        }
        Pc.Link {
            objectName: "recoveryButton"
            visible: page.status === page.sCheckPassword
            pixelSize: 12
            text: qsTr("Recovery password") + core.emptyString
            onClick: core.openUrl("https://" + settings.currentHostUrl + "/resetting/request?email="
                                  + encodeURIComponent(email.text))
        }

        Row {
            visible: page.registration
            topPadding: 6
            Text {
                text: qsTr("Confirm password") + core.emptyString
                color: settings.getValue("mainFontColor")
                font.family: page.fontFamily
                font.pixelSize: 13
            }
            Text {
                objectName: "confirmError"
                visible: page.confirmError !== ""
                text: page.confirmError
                color: "#d0021b"
                font.family: page.fontFamily
                font.pixelSize: 13
            }
        }
        Pc.PTextInput {
            id: confirm
            objectName: "confirm"
            visible: page.registration
            width: parent.width
            echoMode: TextInput.Password
            onAccepted: page.nextStep()
            Keys.onTabPressed: email.focus()
            onRightClick: text = core.clipboardText()
        }
    }

    Column {
        id: proxyForm
        objectName: "proxyForm"
        visible: page.proxyShown
        x: 40
        anchors.top: caption.bottom
        anchors.topMargin: 6
        width: parent.width - 80
        spacing: 3

        Text {
            objectName: "proxyError"
            width: parent.width
            elide: Text.ElideRight
            text: page.proxyError !== "" ? page.proxyError : qsTr("Error") + core.emptyString
            color: "#d0021b"
            font.family: page.fontFamily
            font.pixelSize: 12
        }
        Text { text: qsTr("Host") + core.emptyString; font.family: page.fontFamily; font.pixelSize: 12; color: settings.getValue("mainFontColor") }
        Pc.PTextInput {
            id: proxyHost
            objectName: "proxyHost"
            width: parent.width
            height: 24
            onRightClick: text = core.clipboardText()
        }
        Text { text: qsTr("Port") + core.emptyString; font.family: page.fontFamily; font.pixelSize: 12; color: settings.getValue("mainFontColor") }
        Pc.PTextInput {
            id: proxyPort
            objectName: "proxyPort"
            width: 120
            height: 24
            validator: IntValidator { bottom: 1; top: 999999 }
            onRightClick: text = core.clipboardText()
        }
        Text { text: qsTr("Login") + core.emptyString; font.family: page.fontFamily; font.pixelSize: 12; color: settings.getValue("mainFontColor") }
        Pc.PTextInput {
            id: proxyLogin
            objectName: "proxyLogin"
            width: parent.width
            height: 24
            onRightClick: text = core.clipboardText()
        }
        Text { text: qsTr("Password") + core.emptyString; font.family: page.fontFamily; font.pixelSize: 12; color: settings.getValue("mainFontColor") }
        Pc.PTextInput {
            id: proxyPassword
            objectName: "proxyPassword"
            width: parent.width
            height: 24
            echoMode: TextInput.Password
            onRightClick: text = core.clipboardText()
        }
    }

    Row {
        id: buttons
        x: 40
        anchors.top: page.proxyShown ? proxyForm.bottom : form.bottom
        anchors.topMargin: 14
        spacing: 10
        Pc.LoginPushButton {
            objectName: "nextButton"
            visible: page.nextShown
            width: 150
            height: 32
            text: (page.status === page.sCheckPassword && !page.proxyShown ? qsTr("Enter to pryx")
                   : page.registration && !page.proxyShown ? qsTr("Registration")
                   : qsTr("Next")) + core.emptyString
            onClick: page.nextStep()
        }
        Pc.PushButton {
            objectName: "backButton"
            visible: page.proxyShown
            width: 80
            height: 32
            text: qsTr("Back") + core.emptyString
            onClick: page.leaveProxy()
        }
        Pc.PushButton {
            objectName: "proxyNextButton"
            visible: page.proxyShown
            width: 80
            height: 32
            text: qsTr("Next") + core.emptyString
            onClick: page.leaveProxy()
        }
        AnimatedImage {
            objectName: "busyIndicator"
            visible: page.busy
            anchors.verticalCenter: parent.verticalCenter
            source: "qrc:/component/image/component/download.gif"
            playing: visible
        }
    }

    Column {
        id: socialPanel
        objectName: "socialPanel"
        visible: page.socialShown && page.formShown && !(page.account && page.account.auth === true)
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 18
        x: 40
        width: parent.width - 80
        spacing: 8
        Rectangle { width: parent.width; height: 1; color: "#d5d8da" }
        Text {
            width: parent.width
            wrapMode: Text.WordWrap
            text: qsTr("You can enter a Pryx using one of the social networks") + core.emptyString
            color: settings.getValue("mainFontColor")
            font.family: page.fontFamily
            font.pixelSize: 12
        }
        Row {
            spacing: 12
            Repeater {
                model: ["fb", "tw", "vk", "od"]
                Image {
                    objectName: "social_" + modelData
                    width: 32
                    height: 32
                    source: "qrc:/icon/image/icon/" + modelData + ".png"
                    MouseArea {
                        anchors.fill: parent
                        cursorShape: Qt.PointingHandCursor
                        onPressed: page.social(modelData)
                    }
                }
            }
        }
    }

    Item {
        id: welcome
        objectName: "welcomeView"
        visible: page.welcomeShown
        anchors.fill: parent

        Image {
            id: avatar
            objectName: "avatar"
            x: 40
            y: 60
            width: 64
            height: 64
            fillMode: Image.PreserveAspectFit
            source: settings.userAvatar !== "" && settings.userAvatar !== undefined
                    ? settings.userAvatar : "qrc:/image/image/image/avatar_default.png"
            onStatusChanged: if (status === Image.Error) source = "qrc:/image/image/image/avatar_default.png"
            Connections {
                target: settings
                function onUserAvatarChanges(ava) {
                    avatar.source = ava !== "" ? ava : "qrc:/image/image/image/avatar_default.png"
                }
            }
        }
        Text {
            objectName: "greeting"
            anchors.left: avatar.right
            anchors.leftMargin: 16
            anchors.verticalCenter: avatar.verticalCenter
            text: qsTr("Wellcome to Pryx,") + core.emptyString + "\n" + settings.userName + "!"
            color: settings.getValue("mainFontColor")
            font.family: page.fontFamily
            font.pixelSize: 18
        }
        Image {
            objectName: "startPicture"
            x: 40
            anchors.top: avatar.bottom
            anchors.topMargin: 16
            width: parent.width - 80
            height: 200
            fillMode: Image.PreserveAspectFit
            source: {
                var wm = page.windowManager === "windows" ? "win"
                       : (["unity", "kde", "xfce"].indexOf(page.windowManager) >= 0 ? page.windowManager : "unity")
                return "qrc:/image/image/image/platform_start_" + wm
                        + (settings.language === "en" ? "_en" : "") + ".png"
            }
        }
        Pc.LoginPushButton {
            objectName: "startButton"
            anchors.right: parent.right
            anchors.rightMargin: 40
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 24
            width: 170
            height: 34
            text: qsTr("Start use pryx") + core.emptyString
            onClick: {
                core.stopArrowAnimation()
                if (page.windowManager !== "unity")
                    core.showMainWindow()
                core.registrationWidgetDestroy()
            }
        }
    }
}
