// A protected .accdb opened through the Access connection the conversion uses: our writer makes
// the file, the encrypting side protects it, and the reader must give back every row with the
// right password and "Not a valid password." with any other.
#include "cryptowriter/EncryptDatabase.h"
#include "platform/Error.h"
#include "tests/access/AccessFixtures.h"

#include <QTest>
#include <fstream>
#include <iterator>

using namespace tabulant;
using namespace tabulant::db::crypto;
namespace aw = tabulant::accesswriter;

Q_DECLARE_METATYPE(tabulant::db::crypto::EncryptionOptions)

namespace {

const char* kPassword = "Geheim \xe2\x82\xac 1";

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// 300 rows with a memo long enough to need long-value pages, so that several kinds of page are
// decrypted.
std::vector<aw::TableData> Tables() {
    aw::TableData people{"People",
                         {aw::Column::of("Id", aw::ColumnType::Long),
                          aw::Column::of("Name", aw::ColumnType::Text, 50),
                          aw::Column::of("Notes", aw::ColumnType::Memo)},
                         {}};
    for (int i = 1; i <= 300; ++i)
        people.rows.push_back({platform::Variant::integer(i),
                               platform::Variant::text("Person " + std::to_string(i)),
                               platform::Variant::text(std::string(i == 7 ? 9000 : 10, 'n'))});
    return {people};
}

EncryptionOptions Options(Scheme scheme, std::uint32_t keyBits,
                          HashAlgorithm hash = HashAlgorithm::Sha1) {
    return {.scheme = scheme, .keyBits = keyBits, .hash = hash, .spinCount = 1000, .random = {}};
}

} // namespace

class TestProtectedAccessFile : public QObject {
    Q_OBJECT

private slots:
    void opensWithThePassword_data() {
        QTest::addColumn<EncryptionOptions>("options");
        QTest::newRow("RC4 CryptoAPI 40") << Options(Scheme::Rc4CryptoApi, 40);
        QTest::newRow("RC4 CryptoAPI 128") << Options(Scheme::Rc4CryptoApi, 128);
        QTest::newRow("non-standard AES-256") << Options(Scheme::NonStandardAes, 256);
        QTest::newRow("standard AES-128") << Options(Scheme::StandardAes, 128);
        QTest::newRow("agile AES-128/SHA1") << Options(Scheme::Agile, 128);
        QTest::newRow("agile AES-256/SHA512") << Options(Scheme::Agile, 256, HashAlgorithm::Sha512);
    }
    void opensWithThePassword() {
        QFETCH(EncryptionOptions, options);
        AccessFixtureDir dir;
        const std::string plainPath = dir.Path("plain.accdb");
        const std::string path = dir.Path("protected.accdb");
        aw::WriterOptions writer;
        writer.format = aw::Format::Ace2010;
        aw::writeDatabase(plainPath, Tables(), writer);
        WriteAll(path, EncryptDatabase(ReadAll(plainPath), kPassword, options));

        for (const std::string wrong : {"", "geheim \xe2\x82\xac 1", "Geheim"}) {
            try {
                OpenAccess(path, wrong);
                QFAIL("opened with a wrong password");
            } catch (const platform::Error& e) {
                QCOMPARE(e.description(), std::string("Not a valid password."));
            }
        }

        auto connection = OpenAccess(path, kPassword);
        platform::Recordset rs;
        rs.Open("SELECT * FROM `People`", *connection);
        QCOMPARE(rs.RecordCount(), 300);
        int id = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
            ++id;
            const platform::FieldList f = rs.Fields();
            QCOMPARE(f.Item("Id").value.asInteger(), id);
            QCOMPARE(f.Item("Name").value.payload(), "Person " + std::to_string(id));
            QCOMPARE(f.Item("Notes").value.payload().size(), std::size_t(id == 7 ? 9000 : 10));
        }
        QCOMPARE(id, 300);
    }
};

QTEST_GUILESS_MAIN(TestProtectedAccessFile)
#include "tst_ProtectedAccessFile.moc"
