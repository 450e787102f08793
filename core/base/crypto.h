#pragma once
// AES-256-GCM for the encrypted settings values. The stored form is the
// Base64 text of IV (12 bytes) | ciphertext | tag (16 bytes); the key is a
// raw 32-byte key, or the SHA-256 of the UTF-8 pass phrase for the
// pass-phrase forms. Every failure gives the empty text.

#include <QByteArray>
#include <QString>

QString encryptString(QString text, QString passphrase);
QString decryptString(QString stored, QString passphrase);
QByteArray passphraseKey(QString passphrase);

namespace pryx {
// The same stored form under a raw 32-byte key (the installation key of the
// settings store); every failure gives the empty text.
QString encryptWithKey(const QString &text, const QByteArray &key);
QString decryptWithKey(const QString &stored, const QByteArray &key);
// 32 bytes from the cryptographic random source; empty on failure.
QByteArray randomKey();

// encryptString with a given IV (12 bytes) instead of a random one; for
// known-answer tests only.
QString encryptStringWithIv(const QString &text, const QString &passphrase, const QByteArray &iv);
} // namespace pryx
