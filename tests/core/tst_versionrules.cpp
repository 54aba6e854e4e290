// Reading the server's version: its whole numbers.
#include "update/versionrules.h"

#include <QTest>

class TestVersionRules : public QObject {
    Q_OBJECT
private slots:
    void wholeNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("digits") << "0042" << true << 42;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("minus") << "-65536" << true << -65536;
        QTest::newRow("lowest") << "-2147483648" << true << int(-2147483647 - 1);
        QTest::newRow("highest") << "2147483647" << true << 2147483647;
        QTest::newRow("above 32 bits") << "2147483648" << false << 0;
        QTest::newRow("far above") << "99999999999999999999999" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("two signs") << "--1" << false << 0;
        QTest::newRow("blank before") << " 1" << false << 0;
        QTest::newRow("blank after") << "1 " << false << 0;
        QTest::newRow("line break") << "1\n" << false << 0;
        QTest::newRow("hex") << "0x10" << false << 0;
        QTest::newRow("other script digits") << "١" << false << 0;
    }
    void wholeNumbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        std::int32_t parsed = 0;
        QCOMPARE(ParseWholeNumber(text, parsed), valid);
        if (valid)
            QCOMPARE(parsed, value);
    }

    // The server's text against the running 1.0.2: three whole numbers before the first "F",
    // each kept as its lowest 16 bits.
    void versionText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("version"); // as read; "0.0.0" when not valid
        QTest::addColumn<bool>("newer");
        QTest::newRow("same") << "1.0.2F" << true << "1.0.2" << false;
        QTest::newRow("newer build") << "1.0.3F" << true << "1.0.3" << true;
        QTest::newRow("newer minor") << "1.1.0F" << true << "1.1.0" << true;
        QTest::newRow("newer major") << "2.0.0F" << true << "2.0.0" << true;
        QTest::newRow("older major") << "0.9.9F" << true << "0.9.9" << false;
        QTest::newRow("older build") << "1.0.1F" << true << "1.0.1" << false;
        QTest::newRow("text after F") << "1.0.3F\nversión de prueba 9.9.9" << true << "1.0.3" << true;
        QTest::newRow("build above 65535") << "1.0.65539F" << true << "1.0.3" << true;
        QTest::newRow("major above 65535") << "65537.0.2F" << true << "1.0.2" << false;
        QTest::newRow("major 65536 is 0") << "65536.9.9F" << true << "0.9.9" << false;
        QTest::newRow("negative build") << "1.0.-1F" << true << "1.0.65535" << true;
        QTest::newRow("negative major") << "-1.0.0F" << true << "65535.0.0" << true;
        QTest::newRow("plus signs") << "+1.+0.+3F" << true << "1.0.3" << true;
        QTest::newRow("no F") << "1.0.3" << false << "0.0.0" << false;
        QTest::newRow("lower case f") << "1.0.3f" << false << "0.0.0" << false;
        QTest::newRow("line break before F") << "1.0.3\nF" << false << "0.0.0" << false;
        QTest::newRow("CR LF before F") << "1.0.3\r\nF" << false << "0.0.0" << false;
        QTest::newRow("beyond 32 bits") << "1.0.4294967299F" << false << "0.0.0" << false;
        QTest::newRow("blank inside") << "1.0. 3F" << false << "0.0.0" << false;
        QTest::newRow("blank before") << " 1.0.3F" << false << "0.0.0" << false;
        QTest::newRow("two numbers") << "1.0F" << false << "0.0.0" << false;
        QTest::newRow("four numbers") << "1.0.3.4F" << false << "0.0.0" << false;
        QTest::newRow("empty number") << "1..3F" << false << "0.0.0" << false;
        QTest::newRow("only F") << "F" << false << "0.0.0" << false;
        QTest::newRow("empty") << "" << false << "0.0.0" << false;
    }
    void versionText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, version);
        QFETCH(bool, newer);
        CheckedVersion read{7, 7, 7};
        QCOMPARE(ParseVersionText(text, read), valid);
        QCOMPARE(QStringLiteral("%1.%2.%3").arg(read.Major).arg(read.Minor).arg(read.Build), version);
        QCOMPARE(IsNewerVersion(read, {1, 0, 2}), newer);
    }
};

QTEST_APPLESS_MAIN(TestVersionRules)
#include "tst_versionrules.moc"
