#include "core/base/crypto.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <memory>

namespace {

constexpr int kIvLength = 12;
constexpr int kTagLength = 16;

struct CtxFree {
    void operator()(EVP_CIPHER_CTX *ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CtxPtr = std::unique_ptr<EVP_CIPHER_CTX, CtxFree>;

QString encryptBytes(const QByteArray &plain, const QByteArray &key, const QByteArray &iv)
{
    if (iv.size() != kIvLength || key.size() != 32)
        return QString();
    CtxPtr ctx(EVP_CIPHER_CTX_new());
    if (!ctx)
        return QString();
    const auto *k = reinterpret_cast<const unsigned char *>(key.constData());
    const auto *i = reinterpret_cast<const unsigned char *>(iv.constData());
    if (EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1
        || EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kIvLength, nullptr) != 1
        || EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, k, i) != 1)
        return QString();

    QByteArray out(plain.size() + 32, '\0');
    auto *o = reinterpret_cast<unsigned char *>(out.data());
    int len = 0;
    if (EVP_EncryptUpdate(ctx.get(), o, &len,
                          reinterpret_cast<const unsigned char *>(plain.constData()),
                          plain.size()) != 1)
        return QString();
    int total = len;
    if (EVP_EncryptFinal_ex(ctx.get(), o + total, &len) != 1)
        return QString();
    total += len;
    unsigned char tag[kTagLength];
    if (EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagLength, tag) != 1)
        return QString();

    QByteArray blob = iv;
    blob.append(out.constData(), total);
    blob.append(reinterpret_cast<const char *>(tag), kTagLength);
    return QString::fromLatin1(blob.toBase64());
}

} // namespace

QByteArray passphraseKey(QString passphrase)
{
    const QByteArray utf8 = passphrase.toUtf8();
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char *>(utf8.constData()), size_t(utf8.size()), digest);
    return QByteArray(reinterpret_cast<const char *>(digest), SHA256_DIGEST_LENGTH);
}

QString encryptString(QString text, QString passphrase)
{
    if (passphrase.isEmpty())
        return QString();
    return pryx::encryptWithKey(text, passphraseKey(passphrase));
}

QString decryptString(QString stored, QString passphrase)
{
    if (passphrase.isEmpty())
        return QString();
    return pryx::decryptWithKey(stored, passphraseKey(passphrase));
}

namespace pryx {

QString encryptWithKey(const QString &text, const QByteArray &key)
{
    if (text.isEmpty() || key.size() != 32)
        return QString();
    QByteArray iv(kIvLength, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char *>(iv.data()), kIvLength) != 1)
        return QString();
    return encryptBytes(text.toUtf8(), key, iv);
}

QString decryptWithKey(const QString &stored, const QByteArray &key)
{
    if (stored.isEmpty() || key.size() != 32)
        return QString();
    // Strict Base64: anything else is not one of our values.
    const auto decoded = QByteArray::fromBase64Encoding(
        stored.toLatin1(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return QString();
    const QByteArray blob = *decoded;
    if (blob.size() < kIvLength + kTagLength)
        return QString();
    const QByteArray iv = blob.left(kIvLength);
    const QByteArray tag = blob.right(kTagLength);
    const QByteArray cipher = blob.mid(kIvLength, blob.size() - kIvLength - kTagLength);

    CtxPtr ctx(EVP_CIPHER_CTX_new());
    if (!ctx)
        return QString();
    if (EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1
        || EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kIvLength, nullptr) != 1
        || EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr,
                              reinterpret_cast<const unsigned char *>(key.constData()),
                              reinterpret_cast<const unsigned char *>(iv.constData())) != 1)
        return QString();

    QByteArray out(cipher.size() + 32, '\0');
    auto *o = reinterpret_cast<unsigned char *>(out.data());
    int len = 0;
    if (EVP_DecryptUpdate(ctx.get(), o, &len,
                          reinterpret_cast<const unsigned char *>(cipher.constData()),
                          cipher.size()) != 1)
        return QString();
    int total = len;
    QByteArray tagCopy = tag;
    if (EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagLength, tagCopy.data()) != 1)
        return QString();
    if (EVP_DecryptFinal_ex(ctx.get(), o + total, &len) != 1)
        return QString();   // tag mismatch: altered text or another key
    total += len;
    return QString::fromUtf8(out.constData(), total);
}

QByteArray randomKey()
{
    QByteArray key(32, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char *>(key.data()), key.size()) != 1)
        return QByteArray();
    return key;
}

QString encryptStringWithIv(const QString &text, const QString &passphrase, const QByteArray &iv)
{
    if (text.isEmpty() || passphrase.isEmpty())
        return QString();
    return encryptBytes(text.toUtf8(), passphraseKey(passphrase), iv);
}
} // namespace pryx
