// The line transformations and the rules for new names, without any window.
#include "platform/paths.h"
#include "rename/newnames.h"
#include "rename/transformations.h"

#include <QTest>

class TestNameRules : public QObject {
    Q_OBJECT
private slots:
    void numberLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("first");
        QTest::addColumn<bool>("fill");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("expected");

        QTest::newRow("filled, first line") << "a.mp3" << 0 << 1 << true << 3 << 0 << "001a.mp3";
        QTest::newRow("filled, second line") << "b.mp3" << 1 << 1 << true << 3 << 0 << "002b.mp3";
        QTest::newRow("longer than the length is not cut") << "" << 0 << 1000 << true << 3 << 0 << "1000";
        QTest::newRow("as long as the length") << "x" << 0 << 100 << true << 3 << 0 << "100x";
        QTest::newRow("no fill, 9") << "" << 0 << 9 << false << 5 << 0 << "9";
        QTest::newRow("no fill, 10") << "" << 1 << 9 << false << 5 << 0 << "10";
        QTest::newRow("no fill, 11") << "" << 2 << 9 << false << 5 << 0 << "11";
        QTest::newRow("empty line gets the number") << "" << 4 << 0 << true << 2 << 7 << "04";
        QTest::newRow("inside the line") << "abcdef" << 0 << 7 << false << 2 << 3 << "abc7def";
        QTest::newRow("at the end") << "abc" << 0 << 7 << false << 2 << 3 << "abc7";
        QTest::newRow("beyond the end appends") << "abc" << 0 << 7 << false << 2 << 5 << "abc7";
        QTest::newRow("past 9999") << "a" << 9999 << 9999 << true << 10 << 0 << "0000019998a";
        QTest::newRow("dot is not special") << "song.mp3" << 0 << 1 << true << 2 << 4 << "song01.mp3";
        QTest::newRow("character outside the basic plane counts once")
            << "😀b" << 0 << 5 << false << 2 << 1 << "😀5b";
    }
    void numberLines()
    {
        QFETCH(QString, line);
        QFETCH(int, index);
        QFETCH(int, first);
        QFETCH(bool, fill);
        QFETCH(int, length);
        QFETCH(int, position);
        QFETCH(QString, expected);
        QCOMPARE(NumberLines(line, index, first, fill, length, position), expected);
    }

    void insertText_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("expected");

        QTest::newRow("start") << "abc" << "X" << 0 << "Xabc";
        QTest::newRow("after first") << "abc" << "X" << 1 << "aXbc";
        QTest::newRow("end") << "abc" << "X" << 3 << "abcX";
        QTest::newRow("beyond the end") << "abc" << "X" << 5 << "abcX";
        QTest::newRow("empty line") << "" << "X" << 3 << "X";
        QTest::newRow("nothing to insert") << "abc" << "" << 1 << "abc";
        QTest::newRow("blanks exactly as given") << "ab" << " - " << 1 << "a - b";
        QTest::newRow("never inside a surrogate pair") << "😀😀" << "X" << 1 << "😀X😀";
    }
    void insertText()
    {
        QFETCH(QString, line);
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(QString, expected);
        QCOMPARE(InsertText(line, text, position), expected);
    }

    void deleteCharacters_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("expected");

        QTest::newRow("4 from 2") << "abcdef" << 2 << 4 << "ab";
        QTest::newRow("more than there are") << "abcdef" << 2 << 100 << "ab";
        QTest::newRow("from the end") << "abcdef" << 6 << 1 << "abcdef";
        QTest::newRow("beyond the end") << "abcdef" << 9 << 1 << "abcdef";
        QTest::newRow("first character") << "abcdef" << 0 << 1 << "bcdef";
        QTest::newRow("middle") << "abcdef" << 1 << 2 << "adef";
        QTest::newRow("empty line") << "" << 0 << 3 << "";
        QTest::newRow("a whole surrogate pair") << "a😀b" << 1 << 1 << "ab";
    }
    void deleteCharacters()
    {
        QFETCH(QString, line);
        QFETCH(int, position);
        QFETCH(int, count);
        QFETCH(QString, expected);
        QCOMPARE(DeleteCharacters(line, position, count), expected);
    }

    void replaceText_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("sought");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected");

        QTest::newRow("case ignored") << "Track.mp3" << "MP3" << "" << "Track.";
        QTest::newRow("a by A") << "banana Apple" << "a" << "A" << "bAnAnA Apple";
        QTest::newRow("a by nothing") << "Banana Apple" << "a" << "" << "Bnn pple";
        QTest::newRow("no overlap") << "aaa" << "aa" << "b" << "ba";
        QTest::newRow("replacement not searched again") << "ab" << "a" << "aa" << "aab";
        QTest::newRow("unchanged parts keep their case") << "AbCabc" << "B" << "x" << "AxCaxc";
        QTest::newRow("accented capitals") << "Canción CANCIÓN" << "ción" << "X" << "CanX CANX";
        QTest::newRow("empty sought text") << "abc" << "" << "X" << "abc";
        QTest::newRow("sought longer than line") << "ab" << "abc" << "X" << "ab";
        QTest::newRow("no match") << "abc" << "z" << "X" << "abc";
        QTest::newRow("match at the end") << "song.MP3" << ".mp3" << ".ogg" << "song.ogg";
        QTest::newRow("sharp s stays one character") << "Straße strasse" << "SS" << "_" << "Straße stra_e";
    }
    void replaceText()
    {
        QFETCH(QString, line);
        QFETCH(QString, sought);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        QCOMPARE(ReplaceText(line, sought, replacement), expected);
        if (replacement.isEmpty())
            QCOMPARE(DeleteText(line, sought), expected);
    }

    void forbiddenCharsReport()
    {
        const QString report = ForbiddenCharsReport({"a?b:c", "", "ok*name", "x\"y"});
        QCOMPARE(report,
                 QStringLiteral("El carácter '\"' en la línea 4 no está permitido para los nombres de ficheros.\n"
                                "El carácter '?' en la línea 1 no está permitido para los nombres de ficheros.\n"
                                "El carácter ':' en la línea 1 no está permitido para los nombres de ficheros.\n"));
        QVERIFY(ForbiddenCharsReport({"a*b", "\t", "ñ€", ""}).isEmpty());
        QCOMPARE(WithoutForbiddenChars({"a?b:c", "\"/:<>?\\|", "x*y"}), QStringList({"abc", "", "x*y"}));
        QCOMPARE(ForbiddenCharsReport({"//"}).count(QStringLiteral("línea 1 ")), 2);
    }

    void trimNewNames_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("three empty lines") << QStringList{"", "", ""} << QStringList{};
        QTest::newRow("spaces around, inside kept")
            << QStringList{"  a b.mp3 ", "c"} << QStringList{"a b.mp3", "c"};
        QTest::newRow("empty in the middle deleted") << QStringList{"a", "", "b"} << QStringList{"a", "b"};
        QTest::newRow("line of spaces stays as empty") << QStringList{"a", "   ", "b"} << QStringList{"a", "", "b"};
        QTest::newRow("tabs and no-break spaces stay")
            << QStringList{"\ta\t", QString(QChar(0xA0)) + "b"} << QStringList{"\ta\t", QString(QChar(0xA0)) + "b"};
    }
    void trimNewNames()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, expected);
        QCOMPARE(TrimNewNames(lines), expected);
    }

    void countMismatch()
    {
        QCOMPARE(CountMismatchText(3, 0), QStringLiteral("El número de ficheros en las listas no coincide.\n\n"
                                                         "Ficheros originales: 3\nFicheros renombrados: 0"));
    }

    void textFileLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty") << QByteArray() << QStringList{};
        QTest::newRow("LF, final break") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("CR LF") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("CR alone") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("empty lines kept") << QByteArray("\n\nx") << QStringList{"", "", "x"};
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF" "Canci\xC3\xB3n\n") << QStringList{"Canción"};
        QTest::newRow("UTF-8") << QByteArray("\xE2\x82\xAC" "uro") << QStringList{"€uro"};
        QTest::newRow("Windows-1252") << QByteArray("Canci\xF3n \x80\r\n") << QStringList{"Canción €"};
        QTest::newRow("cut UTF-8 sequence is Windows-1252") << QByteArray("a\xC3") << QStringList{"aÃ"};
        QTest::newRow("NUL kept") << QByteArray("a\0b", 3) << QStringList{QString("a") + QChar(0) + "b"};
        // UTF-16 as a common Windows editor saves "Unicode" text, and its big-endian sibling.
        const QString unicode = QStringLiteral("Дом\r\n東京 🎉\r\n");
        const QByteArray little(reinterpret_cast<const char *>(unicode.utf16()), unicode.size() * 2);
        QByteArray big;
        for (const QChar c : unicode)
            big += char(c.unicode() >> 8) + QByteArray(1, char(c.unicode() & 0xFF));
        QTest::newRow("UTF-16 LE with mark") << "\xFF\xFE" + little << QStringList{"Дом", "東京 🎉"};
        QTest::newRow("UTF-16 BE with mark") << "\xFE\xFF" + big << QStringList{"Дом", "東京 🎉"};
        QTest::newRow("UTF-16, odd last byte") << QByteArray("\xFF\xFE" "a\0b", 5) << QStringList{QString("a") + QChar(0xFFFD)};
    }
    void textFileLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QCOMPARE(TextFileLines(bytes), expected);
    }

    void equivalentReplacement_data()
    {
        QTest::addColumn<QString>("sought");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<bool>("refused");
        QTest::newRow("a by A") << "a" << "A" << false;
        QTest::newRow("a by ab") << "a" << "ab" << true;
        QTest::newRow("ab by a") << "ab" << "a" << true;
        QTest::newRow("a by nothing") << "a" << "" << false;
        QTest::newRow("same") << "x" << "x" << true;
        QTest::newRow("unrelated") << "mp3" << "ogg" << false;
    }
    void equivalentReplacement()
    {
        QFETCH(QString, sought);
        QFETCH(QString, replacement);
        QFETCH(bool, refused);
        QCOMPARE(IsEquivalentReplacement(sought, replacement), refused);
    }

    // Names are bytes: the text shown marks each byte that is not UTF-8, and a new name made
    // from the shown text keeps the old bytes wherever the text kept the old text.
    void nativeNames_data()
    {
        QTest::addColumn<QByteArray>("native");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("newText");
        QTest::addColumn<QByteArray>("newNative");
        const QString bad = QString(QChar::ReplacementCharacter);
        QTest::newRow("utf-8 as it is") << QByteArray("Canción.mp3") << "Canción.mp3" << "Canción.wma"
                                        << QByteArray("Canción.wma");
        QTest::newRow("latin-1, extension changed") << QByteArray("can\xF1on.mp3") << "can" + bad + "on.mp3"
                                                    << "can" + bad + "on.wma" << QByteArray("can\xF1on.wma");
        QTest::newRow("latin-1, extension removed") << QByteArray("can\xF1on.mp3") << "can" + bad + "on.mp3"
                                                    << "can" + bad + "on" << QByteArray("can\xF1on");
        QTest::newRow("numbered") << QByteArray("can\xF1on.mp3") << "can" + bad + "on.mp3"
                                  << "001can" + bad + "on.mp3" << QByteArray("001can\xF1on.mp3");
        QTest::newRow("text inserted after the odd byte")
            << QByteArray("\xE9t\xE9.mp3") << bad + "t" + bad + ".mp3" << bad + "t" + bad + " 2024.mp3"
            << QByteArray("\xE9t\xE9 2024.mp3");
        QTest::newRow("the odd byte replaced") << QByteArray("can\xF1on.mp3") << "can" + bad + "on.mp3"
                                               << "cañon.mp3" << QByteArray("cañon.mp3");
        QTest::newRow("typed anew") << QByteArray("can\xF1on.mp3") << "can" + bad + "on.mp3" << "x.mp3"
                                    << QByteArray("x.mp3");
        QTest::newRow("cut sequence, overlong form, surrogate")
            << QByteArray("a\xE2\x82 \xC0\xAF \xED\xA0\x80") << "a" + bad + bad + " " + bad + bad + " " + bad + bad + bad
            << "a" + bad + bad + " " + bad + bad + " " + bad + bad + bad + "!" << QByteArray("a\xE2\x82 \xC0\xAF \xED\xA0\x80!");
        QTest::newRow("beyond the basic plane") << QByteArray("\xF0\x9F\x8E\xB5\xFF") << QStringLiteral("🎵") + bad
                                                << QStringLiteral("🎵") + bad + "x" << QByteArray("\xF0\x9F\x8E\xB5\xFFx");
    }
    void nativeNames()
    {
        QFETCH(QByteArray, native);
        QFETCH(QString, shown);
        QFETCH(QString, newText);
        QFETCH(QByteArray, newNative);
        QCOMPARE(PathFromNative(native), shown);
        QCOMPARE(NativeRenamed(native, newText), newNative);
        QCOMPARE(NativeRenamed(native, shown), native);
    }

    // Stored folders read back as they were: plain text as today, bytes that are not UTF-8
    // through escapes.
    void storedPaths_data()
    {
        QTest::addColumn<QByteArray>("native");
        QTest::addColumn<QString>("stored");
        QTest::newRow("plain") << QByteArray("/home/ana/Música/") << "/home/ana/Música/";
        QTest::newRow("plain with percent signs") << QByteArray("/m/100%/%41 %zz%") << "/m/100%/%41 %zz%";
        QTest::newRow("latin-1") << QByteArray("/m/m\xFAsica/") << "/m/m%FAsica/";
        QTest::newRow("latin-1 and a percent sign") << QByteArray("/m/100% m\xFAsica") << "/m/100%25 m%FAsica";
        QTest::newRow("utf-8 beside latin-1") << QByteArray("/Música/\xF1") << "/Música/%F1";
    }
    void storedPaths()
    {
        QFETCH(QByteArray, native);
        QFETCH(QString, stored);
        QCOMPARE(StoredPath(native), stored);
        QCOMPARE(PathFromStored(stored), native);
        QCOMPARE(PlainStoredPath(stored), stored.toUtf8());
    }
};

QTEST_APPLESS_MAIN(TestNameRules)
#include "tst_namerules.moc"
