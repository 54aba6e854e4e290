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
};

QTEST_APPLESS_MAIN(TestVersionRules)
#include "tst_versionrules.moc"
