#include <QtTest>

#include "core/base/crypto.h"

// Vectors computed with a separate program (Python driving libcrypto's EVP
// interface directly), IV 00 01 .. 0b, key SHA-256 of the pass phrase.
static const char *const kKatPass = "token-123";
static const char *const kKatPlain = "secret \xd0\xbf\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c";
static const char *const kKatStored = "AAECAwQFBgcICQoL1TlVE4TsLEmLlpsnGP08BcogLVFd0EcZYywiZjunxBMEKxw=";
static const char *const kKat2Stored = "AAECAwQFBgcICQoLLwEZOGPTy4YrHBTa+/uCquA=";  // "x" under "abc"

class TestCrypto : public QObject
{
    Q_OBJECT
private:
    static QByteArray iv() { return QByteArray::fromHex("000102030405060708090a0b"); }
    static QString withFlippedByte(const QString &stored, int pos)
    {
        QByteArray raw = QByteArray::fromBase64(stored.toLatin1());
        raw[pos] = char(raw[pos] ^ 0x01);
        return QString::fromLatin1(raw.toBase64());
    }

private slots:
    void keyIsSha256OfPassphrase()
    {
        QCOMPARE(passphraseKey("abc").toHex(),
                 QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
        QCOMPARE(passphraseKey(kKatPass).toHex(),
                 QByteArray("034192845dc489deca291f9f5ae0bb8e5472c991020bf64b3ebc6dec5a1d7e47"));
    }

    void knownAnswer_data()
    {
        QTest::addColumn<QString>("pass");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("stored");
        QTest::newRow("utf8") << QString(kKatPass) << QString::fromUtf8(kKatPlain) << QString(kKatStored);
        QTest::newRow("one byte") << QString("abc") << QString("x") << QString(kKat2Stored);
    }
    void knownAnswer()
    {
        QFETCH(QString, pass);
        QFETCH(QString, plain);
        QFETCH(QString, stored);
        QCOMPARE(pryx::encryptStringWithIv(plain, pass, iv()), stored);
        QCOMPARE(decryptString(stored, pass), plain);
    }

    void freshIvEveryTime()
    {
        const QString a = encryptString("password", "tok");
        const QString b = encryptString("password", "tok");
        QVERIFY(!a.isEmpty());
        QVERIFY(a != b);
        QCOMPARE(decryptString(a, "tok"), QString("password"));
        QCOMPARE(decryptString(b, "tok"), QString("password"));
        // IV + ciphertext (8 bytes) + tag
        QCOMPARE(QByteArray::fromBase64(a.toLatin1()).size(), 12 + 8 + 16);
    }

    void badInputReadsEmpty_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("pass");
        const QString good(kKatStored);
        QTest::newRow("other pass phrase") << good << QString("token-124");
        QTest::newRow("empty pass phrase") << good << QString();
        QTest::newRow("flipped IV byte") << withFlippedByte(good, 0) << QString(kKatPass);
        QTest::newRow("flipped cipher byte") << withFlippedByte(good, 14) << QString(kKatPass);
        QTest::newRow("flipped tag byte") << withFlippedByte(good, 30) << QString(kKatPass);
        QTest::newRow("27 bytes") << QString::fromLatin1(QByteArray(27, 'a').toBase64()) << QString(kKatPass);
        QTest::newRow("28 bytes, no ciphertext")
            << QString::fromLatin1(QByteArray(28, 'a').toBase64()) << QString(kKatPass);
        QTest::newRow("not base64") << QString("!!!!not*base64$$") << QString(kKatPass);
        QTest::newRow("base64 with junk") << good + "@" << QString(kKatPass);
        QTest::newRow("empty") << QString() << QString(kKatPass);
        QTest::newRow("plain text") << QString("hunter2") << QString(kKatPass);
    }
    void badInputReadsEmpty()
    {
        QFETCH(QString, stored);
        QFETCH(QString, pass);
        QCOMPARE(decryptString(stored, pass), QString());
    }

    void emptyInputsGiveEmptyText()
    {
        QCOMPARE(encryptString(QString(), "tok"), QString());
        QCOMPARE(encryptString("text", QString()), QString());
    }

    void changedCharacterOfStoredForm()
    {
        const QString stored = encryptString("ftp-secret", "tok");
        for (int i = 0; i < stored.size() - 2; ++i) {
            QString s = stored;
            s[i] = s[i] == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
            QCOMPARE(decryptString(s, "tok"), QString());
        }
    }
};

QTEST_GUILESS_MAIN(TestCrypto)
#include "tst_crypto.moc"
