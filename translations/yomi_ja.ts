<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>MainWindow</name>
    <message>
        <source>yomi — Sort Fields</source>
        <translation>yomi — 並べ替え用フィールド</translation>
    </message>
    <message>
        <source>&amp;Field:</source>
        <translation>項目(&amp;F):</translation>
    </message>
    <message>
        <source>The track field whose values are listed</source>
        <translation>一覧にするトラックの項目</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>アーティスト</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>アルバム</translation>
    </message>
    <message>
        <source>Album Artist</source>
        <translation>アルバムアーティスト</translation>
    </message>
    <message>
        <source>Composer</source>
        <translation>作曲者</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名前</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>番組</translation>
    </message>
    <message>
        <source>Scan the library for values of the chosen field</source>
        <translation>選んだ項目の値をライブラリから読み込みます</translation>
    </message>
    <message>
        <source>&amp;Load</source>
        <translation>読み込み(&amp;L)</translation>
    </message>
    <message>
        <source>Write the listed sort values into every matching track</source>
        <translation>一覧の読みを、値が一致するすべてのトラックに書き込みます</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>保存(&amp;S)</translation>
    </message>
    <message>
        <source>Filter by value or sort value</source>
        <translation>値または読みで絞り込み</translation>
    </message>
    <message>
        <source>Use each selected value itself as its sort value (Ctrl+D)</source>
        <translation>選んだ値をそのまま読みにします (Ctrl+D)</translation>
    </message>
    <message>
        <source>&amp;Copy to Sort</source>
        <translation>読みにコピー(&amp;C)</translation>
    </message>
    <message>
        <source>Set each selected sort value to the value in lower-case Latin letters (Ctrl+R)</source>
        <translation>選んだ値を小文字のローマ字にして読みにします (Ctrl+R)</translation>
    </message>
    <message>
        <source>&amp;Romaji</source>
        <translation>ローマ字(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;Open Library Folder…</source>
        <translation>ライブラリのフォルダを開く(&amp;O)…</translation>
    </message>
    <message>
        <source>Show &amp;Log</source>
        <translation>ログを表示(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>終了(&amp;Q)</translation>
    </message>
    <message>
        <source>&amp;Copy Value to Sort Value</source>
        <translation>値を読みにコピー(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Romaji to Sort Value</source>
        <translation>ローマ字を読みに(&amp;R)</translation>
    </message>
    <message>
        <source>1 value needs a reading</source>
        <translation>読みが必要な値: 1 件</translation>
    </message>
    <message>
        <source>%1 values need a reading</source>
        <translation>読みが必要な値: %1 件</translation>
    </message>
    <message>
        <source>1 track</source>
        <translation>1 曲</translation>
    </message>
    <message>
        <source>%1 tracks</source>
        <translation>%1 曲</translation>
    </message>
    <message>
        <source>%1 (%2 in %3 s)</source>
        <translation>%1（%2、%3 秒）</translation>
    </message>
    <message>
        <source>1 track written</source>
        <translation>1 曲を書き込みました</translation>
    </message>
    <message>
        <source>%1 tracks written</source>
        <translation>%1 曲を書き込みました</translation>
    </message>
    <message>
        <source>1 could not be written</source>
        <translation>1 曲は書き込めませんでした</translation>
    </message>
    <message>
        <source>%1 could not be written</source>
        <translation>%1 曲は書き込めませんでした</translation>
    </message>
    <message>
        <source>%1, %2 — see the log</source>
        <translation>%1。%2 — ログを確認してください</translation>
    </message>
    <message>
        <source>%1 / %2 tracks</source>
        <translation>%1 / %2 曲</translation>
    </message>
    <message>
        <source>%1 — yomi</source>
        <translation>%1 — yomi</translation>
    </message>
    <message>
        <source>Open Library Folder</source>
        <translation>ライブラリのフォルダを開く</translation>
    </message>
    <message>
        <source>no such folder</source>
        <translation>フォルダがありません</translation>
    </message>
    <message>
        <source>the folder cannot be read</source>
        <translation>フォルダを読み取れません</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 を開けません: %2</translation>
    </message>
    <message>
        <source>Set each selected sort value to the Japanese reading of the value (Ctrl+J)</source>
        <translation>選んだ値の日本語の読みを読みにします (Ctrl+J)</translation>
    </message>
    <message>
        <source>Readin&amp;g</source>
        <translation>読み(&amp;G)</translation>
    </message>
    <message>
        <source>How Reading writes the reading</source>
        <translation>読みの書き方</translation>
    </message>
    <message>
        <source>Katakana</source>
        <translation>カタカナ</translation>
    </message>
    <message>
        <source>Hiragana</source>
        <translation>ひらがな</translation>
    </message>
    <message>
        <source>Romaji</source>
        <translation>ローマ字</translation>
    </message>
    <message>
        <source>Japanese Readin&amp;g to Sort Value</source>
        <translation>日本語の読みを読みに(&amp;G)</translation>
    </message>
    <message>
        <source>Ctrl+J</source>
        <translation>Ctrl+J</translation>
    </message>
    <message>
        <source>%1; your own readings are not used</source>
        <translation>%1。ご自分の読みは使われません</translation>
    </message>
    <message>
        <source>Japanese readings need a dictionary: %1</source>
        <translation>日本語の読みには辞書が要ります: %1</translation>
    </message>
    <message>
        <source>install the package mecab-ipadic-utf8</source>
        <translation>パッケージ mecab-ipadic-utf8 を入れてください</translation>
    </message>
    <message>
        <source>, </source>
        <translation>、</translation>
    </message>
    <message>
        <source>, …</source>
        <translation>、…</translation>
    </message>
    <message>
        <source>Re&amp;vert Last Save</source>
        <translation>前回の保存を取り消す(&amp;V)</translation>
    </message>
    <message>
        <source>1 value</source>
        <translation>1 件の値</translation>
    </message>
    <message>
        <source>%1 values</source>
        <translation>%1 件の値</translation>
    </message>
    <message>
        <source>Nothing reverted: %1</source>
        <translation>取り消したものはありません: %1</translation>
    </message>
    <message>
        <source>Reverted Save %1: %2</source>
        <translation>保存 %1 を取り消しました: %2</translation>
    </message>
    <message>
        <source>; %1 already as before</source>
        <translation>、%1 曲は元のまま</translation>
    </message>
    <message>
        <source>; %1 changed since, left alone</source>
        <translation>、%1 曲はその後変更されたためそのまま</translation>
    </message>
    <message>
        <source>; %1 failed</source>
        <translation>、%1 曲は失敗</translation>
    </message>
    <message>
        <source>Save will write %1 for %2</source>
        <translation>保存すると %2 の %1 に書き込みます</translation>
    </message>
    <message>
        <source>Only readings to check</source>
        <translation>確認が要る読みだけ</translation>
    </message>
    <message>
        <source>%1; %2 to check</source>
        <translation>%1、確認が要る読み: %2</translation>
    </message>
    <message>
        <source>1 reading</source>
        <translation>1 件</translation>
    </message>
    <message>
        <source>%1 readings</source>
        <translation>%1 件</translation>
    </message>
    <message>
        <source>&amp;Reading</source>
        <translation>読み(&amp;R)</translation>
    </message>
    <message>
        <source>Read as &amp;Japanese</source>
        <translation>日本語として読む(&amp;J)</translation>
    </message>
    <message>
        <source>Read as &amp;Chinese</source>
        <translation>中国語として読む(&amp;C)</translation>
    </message>
    <message>
        <source>Read as &amp;Korean</source>
        <translation>韓国語として読む(&amp;K)</translation>
    </message>
    <message>
        <source>Set each selected sort value to its reading in this language</source>
        <translation>選んだ値をこの言語の読みにします</translation>
    </message>
    <message>
        <source>&amp;Undecided Values</source>
        <translation>言語の決まらない値(&amp;U)</translation>
    </message>
    <message>
        <source>Japanese</source>
        <translation>日本語</translation>
    </message>
    <message>
        <source>Chinese</source>
        <translation>中国語</translation>
    </message>
    <message>
        <source>C&amp;hinese Readings</source>
        <translation>中国語の読み(&amp;H)</translation>
    </message>
    <message>
        <source>Pinyin</source>
        <translation>ピンイン</translation>
    </message>
    <message>
        <source>Zhuyin (Bopomofo)</source>
        <translation>注音 (ボポモフォ)</translation>
    </message>
    <message>
        <source>K&amp;orean Readings</source>
        <translation>韓国語の読み(&amp;O)</translation>
    </message>
    <message>
        <source>Hangul as Written</source>
        <translation>ハングルのまま</translation>
    </message>
    <message>
        <source>Latin Letters</source>
        <translation>ローマ字</translation>
    </message>
    <message>
        <source>Set each selected sort value to the reading of the value in its language (Ctrl+J)</source>
        <translation>選んだ値をその言語の読みにします (Ctrl+J)</translation>
    </message>
    <message>
        <source>1 value has no reading: %1</source>
        <translation>読みがない値: 1 件 (%1)</translation>
    </message>
    <message>
        <source>%1 values have no reading: %2</source>
        <translation>読みがない値: %1 件 (%2)</translation>
    </message>
    <message>
        <source>Library &amp;Report</source>
        <translation>曲の読みの報告(&amp;R)</translation>
    </message>
    <message>
        <source>Library Report</source>
        <translation>曲の読みの報告</translation>
    </message>
    <message>
        <source>All person fields</source>
        <translation>すべての人名フィールド</translation>
    </message>
    <message>
        <source>Artist, album artist and composer: each name listed once, and Save writes its sort value into all three</source>
        <translation>アーティスト・アルバムアーティスト・作曲者: 名前ごとに 1 行、保存で 3 つすべてに読みを書き込みます</translation>
    </message>
</context>
<context>
    <name>PairListModel</name>
    <message>
        <source>Value</source>
        <translation>値</translation>
    </message>
    <message>
        <source>Sort Value</source>
        <translation>読み</translation>
    </message>
    <message>
        <source>Tracks</source>
        <translation>曲数</translation>
    </message>
    <message>
        <source>Sure: %1</source>
        <translation>確実: %1</translation>
    </message>
    <message>
        <source>Likely: %1</source>
        <translation>ほぼ確実: %1</translation>
    </message>
    <message>
        <source>Check: %1</source>
        <translation>要確認: %1</translation>
    </message>
    <message>
        <source>chosen by you</source>
        <translation>あなたが選んだ読み</translation>
    </message>
    <message>
        <source>Japanese</source>
        <translation>日本語</translation>
    </message>
    <message>
        <source>Chinese</source>
        <translation>中国語</translation>
    </message>
    <message>
        <source>Korean</source>
        <translation>韓国語</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>言語</translation>
    </message>
    <message>
        <source>The tracks hold %1 sort values:</source>
        <translation>曲が持つ読み: %1 通り</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>1 track</source>
        <translation>1 曲</translation>
    </message>
    <message>
        <source>%1 tracks</source>
        <translation>%1 曲</translation>
    </message>
</context>
</TS>
