<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW">
<context>
    <name>ActivityStatus</name>
    <message>
        <source>1 unit found</source>
        <translation>找到 1 台設備</translation>
    </message>
    <message>
        <source>%1 units found</source>
        <translation>找到 %1 台設備</translation>
    </message>
    <message>
        <source>Unit %1 is not answering: it is asked again in the background</source>
        <translation>設備 %1 無回應：將在背景中再次詢問</translation>
    </message>
    <message>
        <source>Not current: unit %1 is not answering. Its last known values are shown; nothing can be changed until it answers again.</source>
        <translation>非目前狀態：設備 %1 無回應。顯示的是最後已知的數值；在它再次回應之前無法變更任何設定。</translation>
    </message>
    <message>
        <source>Unit %1 answers</source>
        <translation>設備 %1 有回應</translation>
    </message>
    <message>
        <source>The port was lost: no unit can be reached</source>
        <translation>連接埠已中斷：無法連到任何設備</translation>
    </message>
    <message>
        <source>No port is open: no unit can be reached</source>
        <translation>未開啟連接埠：無法連到任何設備</translation>
    </message>
    <message>
        <source>Scanning ID %1 of %2, last seen here: %3</source>
        <extracomment>%3: how many units were found so far, as &quot;2 units found&quot;</extracomment>
        <translation>正在掃描 ID %1 / %2，上次在此所見：%3</translation>
    </message>
    <message>
        <source>Scanning ID %1 of %2: %3</source>
        <translation>正在掃描 ID %1 / %2：%3</translation>
    </message>
    <message>
        <source>Unit %1 answers again: reading it afresh</source>
        <translation>設備 %1 再次回應：正在重新讀取</translation>
    </message>
    <message>
        <source>Unit %1 answers again: read afresh</source>
        <translation>設備 %1 再次回應：已重新讀取</translation>
    </message>
    <message>
        <source>Scan ended: no unit answered</source>
        <translation>掃描結束：沒有設備回應</translation>
    </message>
    <message>
        <source>Scan ended: 1 unit found</source>
        <translation>掃描結束：找到 1 台設備</translation>
    </message>
    <message>
        <source>Scan ended: %1 units found</source>
        <translation>掃描結束：找到 %1 台設備</translation>
    </message>
</context>
<context>
    <name>ChangeHistory</name>
    <message>
        <source>audio input</source>
        <translation>音訊輸入</translation>
    </message>
    <message>
        <source>video input</source>
        <translation>視訊輸入</translation>
    </message>
    <message>
        <source>mute</source>
        <extracomment>the setting (muted or not) in an undo description: &quot;mute on → off&quot;</extracomment>
        <translation>靜音</translation>
    </message>
    <message>
        <source>volume</source>
        <translation>音量</translation>
    </message>
    <message>
        <source>bass</source>
        <translation>低音</translation>
    </message>
    <message>
        <source>treble</source>
        <translation>高音</translation>
    </message>
    <message>
        <source>subwoofer</source>
        <translation>重低音</translation>
    </message>
    <message>
        <source>delay</source>
        <translation>延遲</translation>
    </message>
    <message>
        <source>EDID</source>
        <translation>EDID</translation>
    </message>
    <message>
        <source>none</source>
        <extracomment>no input routed to the output</extracomment>
        <translation>無</translation>
    </message>
    <message>
        <source>on</source>
        <extracomment>muted</extracomment>
        <translation>開</translation>
    </message>
    <message>
        <source>off</source>
        <extracomment>not muted</extracomment>
        <translation>關</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 毫秒</translation>
    </message>
    <message>
        <source>fixed</source>
        <extracomment>the EDID an input presents: the unit&apos;s own fixed one, or that of output 1</extracomment>
        <translation>固定</translation>
    </message>
    <message>
        <source>output 1</source>
        <translation>輸出 1</translation>
    </message>
    <message>
        <source>; </source>
        <extracomment>between the ports of one change: &quot;Output 1: volume 80 → 51; Output 2: …&quot;</extracomment>
        <translation>；</translation>
    </message>
    <message>
        <source>Nothing was sent: the changes to undo and redo were forgotten when %1.</source>
        <extracomment>%1: why, as &quot;the port was lost&quot;</extracomment>
        <translation>未傳送任何內容：在%1時，可復原與重做的變更已被清除。</translation>
    </message>
    <message>
        <source>No answering unit is selected.</source>
        <translation>未選擇有回應的設備。</translation>
    </message>
    <message>
        <source>That change was made on unit %1. Select it to take the change back or make it again.</source>
        <translation>該變更是在設備 %1 上進行的。請選擇該設備以復原或重做此變更。</translation>
    </message>
    <message>
        <source>The unit is being read. Try again once the reading has finished.</source>
        <translation>正在讀取設備。請在讀取完成後再試一次。</translation>
    </message>
    <message>
        <source>The last change is still on its way to the unit. Try again once the unit has answered.</source>
        <translation>上一個變更仍在傳送至設備途中。請在設備回應後再試一次。</translation>
    </message>
    <message>
        <source>Nothing was sent: unit %1 has changed since (its answers show other values than that change left), and sending it could overwrite someone else&apos;s setting. The list of changes to undo and redo has been cleared.</source>
        <translation>未傳送任何內容：設備 %1 之後已有變動（它回報的數值與該變更留下的不同），傳送可能會覆寫他人的設定。可復原與重做的變更清單已清除。</translation>
    </message>
    <message>
        <source>Nothing was sent: the changes to undo and redo were forgotten.</source>
        <translation>未傳送任何內容：可復原與重做的變更已被清除。</translation>
    </message>
    <message>
        <source>%1 %2 → %3</source>
        <extracomment>a setting&apos;s change: &quot;volume 80 → 51&quot;</extracomment>
        <translation>%1 %2 → %3</translation>
    </message>
    <message>
        <source>, </source>
        <extracomment>between the changes of one port: &quot;volume 80 → 51, bass 50 → 60&quot;</extracomment>
        <translation>，</translation>
    </message>
    <message>
        <source>Input %1: %2</source>
        <extracomment>%2: the port&apos;s changes, as &quot;volume 80 → 51, bass 50 → 60&quot;</extracomment>
        <translation>輸入 %1：%2</translation>
    </message>
    <message>
        <source>Output %1: %2</source>
        <translation>輸出 %1：%2</translation>
    </message>
    <message>
        <source>the line was scanned</source>
        <extracomment>ends &quot;the changes to undo and redo were forgotten when …&quot;</extracomment>
        <translation>重新掃描線路</translation>
    </message>
    <message>
        <source>unit %1 stopped answering</source>
        <extracomment>ends &quot;the changes to undo and redo were forgotten when …&quot;</extracomment>
        <translation>設備 %1 停止回應</translation>
    </message>
    <message>
        <source>the port was lost</source>
        <extracomment>ends &quot;the changes to undo and redo were forgotten when …&quot;</extracomment>
        <translation>連接埠中斷</translation>
    </message>
    <message>
        <source>scene “%1”</source>
        <extracomment>the step Undo or Redo would take: a scene&apos;s recall</extracomment>
        <translation>場景「%1」</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>System</source>
        <extracomment>The language the desktop is set to.</extracomment>
        <translation>系統</translation>
    </message>
</context>
<context>
    <name>LineService</name>
    <message>
        <source>unit %1: route output %2 ← input %3</source>
        <translation>設備 %1：輸出 %2 ← 輸入 %3</translation>
    </message>
    <message>
        <source>unit %1: disconnect output %2</source>
        <translation>設備 %1：中斷輸出 %2</translation>
    </message>
    <message>
        <source>unit %1: set output %2</source>
        <translation>設備 %1：設定輸出 %2</translation>
    </message>
    <message>
        <source>unit %1: set input %2</source>
        <translation>設備 %1：設定輸入 %2</translation>
    </message>
    <message>
        <source>unit %1: save memory location %2</source>
        <translation>設備 %1：儲存記憶位置 %2</translation>
    </message>
    <message>
        <source>unit %1: load memory location %2</source>
        <translation>設備 %1：載入記憶位置 %2</translation>
    </message>
    <message>
        <source>unit %1: save settings to %2</source>
        <translation>設備 %1：將設定儲存至 %2</translation>
    </message>
    <message>
        <source>unit %1: restore settings from %2</source>
        <translation>設備 %1：從 %2 還原設定</translation>
    </message>
    <message>
        <source>unit %1: show</source>
        <translation>設備 %1：顯示</translation>
    </message>
    <message>
        <source>scan</source>
        <translation>掃描</translation>
    </message>
    <message>
        <source>recall scene “%1”</source>
        <translation>叫出場景「%1」</translation>
    </message>
    <message>
        <source>show scene “%1”</source>
        <translation>顯示場景「%1」</translation>
    </message>
    <message>
        <source>list the scenes</source>
        <translation>列出場景</translation>
    </message>
</context>
<context>
    <name>ListColumn</name>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名稱</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>設備名稱</translation>
    </message>
    <message>
        <source>A/V</source>
        <translation>A/V</translation>
    </message>
    <message>
        <source>Support Audio/Video switch tools request.</source>
        <translation>支援音訊/視訊切換要求。</translation>
    </message>
    <message>
        <source>I/O</source>
        <translation>I/O</translation>
    </message>
    <message>
        <source>Total Input/Output port.</source>
        <translation>輸入/輸出埠總數。</translation>
    </message>
    <message>
        <source>Memory</source>
        <translation>記憶</translation>
    </message>
    <message>
        <source>Total Memory location.</source>
        <translation>記憶位置總數。</translation>
    </message>
    <message>
        <source>VI Plug</source>
        <translation>視訊輸入偵測</translation>
    </message>
    <message>
        <source>Support Video input plug detection.</source>
        <translation>支援視訊輸入接頭偵測。</translation>
    </message>
    <message>
        <source>AI Plug</source>
        <translation>音訊輸入偵測</translation>
    </message>
    <message>
        <source>Support Audio input plug detection.</source>
        <translation>支援音訊輸入接頭偵測。</translation>
    </message>
    <message>
        <source>VO Plug</source>
        <translation>視訊輸出偵測</translation>
    </message>
    <message>
        <source>Support Video output plug detection.</source>
        <translation>支援視訊輸出接頭偵測。</translation>
    </message>
    <message>
        <source>AO Plug</source>
        <translation>音訊輸出偵測</translation>
    </message>
    <message>
        <source>Support Audio output plug detection.</source>
        <translation>支援音訊輸出接頭偵測。</translation>
    </message>
    <message>
        <source>EDID Type</source>
        <translation>EDID 類型</translation>
    </message>
    <message>
        <source>Support EDID type select request.</source>
        <translation>支援 EDID 類型選擇要求。</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>音量</translation>
    </message>
    <message>
        <source>Support Volume and Mute control.</source>
        <translation>支援音量與靜音控制。</translation>
    </message>
    <message>
        <source>Bass</source>
        <translation>低音</translation>
    </message>
    <message>
        <source>Support Bass control.</source>
        <translation>支援低音控制。</translation>
    </message>
    <message>
        <source>Treble</source>
        <translation>高音</translation>
    </message>
    <message>
        <source>Support Treble control.</source>
        <translation>支援高音控制。</translation>
    </message>
    <message>
        <source>Subwoofer</source>
        <translation>重低音</translation>
    </message>
    <message>
        <source>Support Subwoofer control.</source>
        <translation>支援重低音控制。</translation>
    </message>
    <message>
        <source>Delay</source>
        <translation>延遲</translation>
    </message>
    <message>
        <source>Support Delay control.</source>
        <translation>支援延遲控制。</translation>
    </message>
    <message>
        <source>Delay Unit</source>
        <translation>延遲單位</translation>
    </message>
    <message>
        <source>Delay time unit in ms.</source>
        <translation>延遲時間單位（毫秒）。</translation>
    </message>
    <message>
        <source>Max Delay</source>
        <translation>最大延遲</translation>
    </message>
    <message>
        <source>Maximum delay time in ms.</source>
        <translation>最大延遲時間（毫秒）。</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>版本</translation>
    </message>
    <message>
        <source>Firmware Version</source>
        <translation>韌體版本</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>埠</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>視訊</translation>
    </message>
    <message>
        <source>Connected Video input port number</source>
        <translation>連接的視訊輸入埠編號</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>音訊</translation>
    </message>
    <message>
        <source>Connected Audio input port number</source>
        <translation>連接的音訊輸入埠編號</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>靜音</translation>
    </message>
    <message>
        <source>Mute status</source>
        <translation>靜音狀態</translation>
    </message>
    <message>
        <source>Volume level</source>
        <translation>音量大小</translation>
    </message>
    <message>
        <source>Bass level</source>
        <translation>低音大小</translation>
    </message>
    <message>
        <source>Treble level</source>
        <translation>高音大小</translation>
    </message>
    <message>
        <source>Subwoofer level</source>
        <translation>重低音大小</translation>
    </message>
    <message>
        <source>Delay time in ms</source>
        <translation>延遲時間（毫秒）</translation>
    </message>
</context>
<context>
    <name>LocalFileNames</name>
    <message>
        <source>not a regular file</source>
        <translation>不是一般檔案</translation>
    </message>
</context>
<context>
    <name>NamedPorts</name>
    <message>
        <source>%1: %2</source>
        <extracomment>a port and the name the operator gave it: &quot;Input 5: Lectern PC&quot;</extracomment>
        <translation>%1：%2</translation>
    </message>
</context>
<context>
    <name>NamesCodec</name>
    <message>
        <source>%1: %2</source>
        <extracomment>%1: where in the file (a key path, as &quot;names.inputs.3&quot;); %2: what is wrong there</extracomment>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>not text</source>
        <translation>不是文字</translation>
    </message>
    <message>
        <source>longer than %1 characters</source>
        <translation>超過 %1 個字元</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>缺少</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not 1 to %2</source>
        <translation>「%1」不在 1 到 %2 之間</translation>
    </message>
    <message>
        <source>unknown key &quot;%1&quot;</source>
        <translation>不明的鍵「%1」</translation>
    </message>
</context>
<context>
    <name>NamesCsv</name>
    <message>
        <source>a quoted field does not end</source>
        <translation>引號欄位沒有結束</translation>
    </message>
    <message>
        <source>the file is larger than %1 KiB</source>
        <translation>檔案大於 %1 KiB</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <extracomment>%2: the start of the line&apos;s first cell</extracomment>
        <translation>第 %1 行：%2</translation>
    </message>
    <message>
        <source>no line names a port (&quot;Input 1&quot;, &quot;Output 2&quot;, &quot;Preset 3&quot;, &quot;Unit&quot;)</source>
        <extracomment>the quoted words are what the file must hold, in English whatever the language</extracomment>
        <translation>沒有任何一行指名連接埠（&quot;Input 1&quot;、&quot;Output 2&quot;、&quot;Preset 3&quot;、&quot;Unit&quot;）</translation>
    </message>
</context>
<context>
    <name>NamesStore</name>
    <message>
        <source>what the unit reports is damaged</source>
        <translation>設備回報的內容已損壞</translation>
    </message>
    <message>
        <source>%1, %2 in, %3 out</source>
        <extracomment>a unit as it reports itself: its name, its counts of inputs and outputs</extracomment>
        <translation>%1，%2 輸入，%3 輸出</translation>
    </message>
    <message>
        <source>The names file %1 could not be read (%2). It is left as it is; names are not kept in this run.</source>
        <translation>無法讀取名稱檔 %1（%2）。檔案保持原狀；本次執行不會保存名稱。</translation>
    </message>
    <message>
        <source>The names file %1 was written by a newer Quadrel (%2). It is left as it is; names are not kept in this run.</source>
        <translation>名稱檔 %1 是由較新版的 Quadrel 寫入（%2）。檔案保持原狀；本次執行不會保存名稱。</translation>
    </message>
    <message>
        <source>The names file could not be read (%1). It was kept as %2; names start empty.</source>
        <translation>無法讀取名稱檔（%1）。已另存為 %2；名稱從空白開始。</translation>
    </message>
    <message>
        <source>The names file %1 could not be read (%2) nor kept aside. Names are not kept in this run.</source>
        <translation>無法讀取名稱檔 %1（%2），也無法另存。本次執行不會保存名稱。</translation>
    </message>
    <message>
        <source>The names file %1 is held by another program; names are not kept in this run.</source>
        <translation>名稱檔 %1 正被其他程式使用；本次執行不會保存名稱。</translation>
    </message>
    <message>
        <source>The names could not be written to %1: another program holds it.</source>
        <translation>無法將名稱寫入 %1：其他程式正在使用它。</translation>
    </message>
    <message>
        <source>The names could not be written to %1 (%2); the file is as it was.</source>
        <translation>無法將名稱寫入 %1（%2）；檔案保持原狀。</translation>
    </message>
    <message>
        <source>larger than %1 MiB</source>
        <translation>大於 %1 MiB</translation>
    </message>
    <message>
        <source>not a Quadrel names file, or damaged</source>
        <translation>不是 Quadrel 名稱檔，或已損壞</translation>
    </message>
    <message>
        <source>format version %1; this Quadrel reads up to version %2</source>
        <translation>格式版本 %1；此版 Quadrel 最高可讀取版本 %2</translation>
    </message>
    <message>
        <source>more than %1 units</source>
        <translation>超過 %1 台設備</translation>
    </message>
    <message>
        <source>unit entry %1: %2</source>
        <translation>設備項目 %1：%2</translation>
    </message>
</context>
<context>
    <name>OutputSource</name>
    <message>
        <source>input %1</source>
        <translation>輸入 %1</translation>
    </message>
    <message>
        <source>%1 (input %2)</source>
        <translation>%1（輸入 %2）</translation>
    </message>
    <message>
        <source>audio from %1</source>
        <translation>音訊來自%1</translation>
    </message>
    <message>
        <source>no audio</source>
        <translation>無音訊</translation>
    </message>
    <message>
        <source>video from %1</source>
        <translation>視訊來自%1</translation>
    </message>
    <message>
        <source>no video</source>
        <translation>無視訊</translation>
    </message>
    <message>
        <source>Output %1: %2</source>
        <translation>輸出 %1：%2</translation>
    </message>
    <message>
        <source>Output %1 (%2): %3</source>
        <translation>輸出 %1（%2）：%3</translation>
    </message>
    <message>
        <source>, </source>
        <translation>，</translation>
    </message>
</context>
<context>
    <name>Pictures</name>
    <message>
        <source>%1, %2</source>
        <translation>%1，%2</translation>
    </message>
    <message>
        <source>audio routed</source>
        <translation>音訊已切換</translation>
    </message>
    <message>
        <source>audio not routed</source>
        <translation>音訊未切換</translation>
    </message>
    <message>
        <source>audio not switchable</source>
        <translation>音訊無法切換</translation>
    </message>
    <message>
        <source>video routed</source>
        <translation>視訊已切換</translation>
    </message>
    <message>
        <source>video not routed</source>
        <translation>視訊未切換</translation>
    </message>
    <message>
        <source>video not switchable</source>
        <translation>視訊無法切換</translation>
    </message>
    <message>
        <source>%1, pressed</source>
        <translation>%1，已按下</translation>
    </message>
    <message>
        <source>plug state unknown</source>
        <translation>接頭狀態不明</translation>
    </message>
    <message>
        <source>unplugged</source>
        <translation>未插入</translation>
    </message>
    <message>
        <source>plugged</source>
        <translation>已插入</translation>
    </message>
    <message>
        <source>answering</source>
        <translation>有回應</translation>
    </message>
    <message>
        <source>not answering</source>
        <translation>無回應</translation>
    </message>
    <message>
        <source>muted</source>
        <translation>已靜音</translation>
    </message>
    <message>
        <source>not muted</source>
        <translation>未靜音</translation>
    </message>
</context>
<context>
    <name>PortSettings</name>
    <message>
        <source>it is a folder</source>
        <extracomment>why the settings file cannot be used</extracomment>
        <translation>它是資料夾</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>它不是一般檔案</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 不是資料夾</translation>
    </message>
    <message>
        <source>it could not be written</source>
        <translation>無法寫入</translation>
    </message>
    <message>
        <source>cannot be read (%1)</source>
        <extracomment>follows &quot;The settings file &lt;its name&gt;&quot;</extracomment>
        <translation>無法讀取（%1）</translation>
    </message>
    <message>
        <source>is damaged (it is larger than %1 KiB)</source>
        <extracomment>follows &quot;The settings file &lt;its name&gt;&quot;</extracomment>
        <translation>已損壞（大於 %1 KiB）</translation>
    </message>
    <message>
        <source>cannot be read (no room for a copy: %1)</source>
        <extracomment>follows &quot;The settings file &lt;its name&gt;&quot;</extracomment>
        <translation>無法讀取（沒有空間建立副本：%1）</translation>
    </message>
    <message>
        <source>is damaged (it is not in the settings format)</source>
        <extracomment>follows &quot;The settings file &lt;its name&gt;&quot;</extracomment>
        <translation>已損壞（不是設定檔格式）</translation>
    </message>
</context>
<context>
    <name>PortStatus</name>
    <message>
        <source>COM%1, %2 baud</source>
        <translation>COM%1，鮑率 %2</translation>
    </message>
    <message>
        <source>No port open: choose a port in Options</source>
        <translation>未開啟連接埠：請在「選項」中選擇連接埠</translation>
    </message>
    <message>
        <source>%1: open</source>
        <translation>%1：已開啟</translation>
    </message>
    <message>
        <source>%1: could not be opened; choose a port in Options</source>
        <translation>%1：無法開啟；請在「選項」中選擇連接埠</translation>
    </message>
    <message>
        <source>%1: could not be opened (%2); choose a port in Options</source>
        <translation>%1：無法開啟（%2）；請在「選項」中選擇連接埠</translation>
    </message>
    <message>
        <source>%1: lost; opened again when it comes back, or choose a port in Options</source>
        <translation>%1：已中斷；恢復時會再次開啟，或請在「選項」中選擇連接埠</translation>
    </message>
</context>
<context>
    <name>QtMessageBoxes</name>
    <message>
        <source>Do not ask again</source>
        <translation>不要再詢問</translation>
    </message>
</context>
<context>
    <name>RolesFile</name>
    <message>
        <source>too many units</source>
        <translation>設備太多</translation>
    </message>
    <message>
        <source>a unit of the staff is damaged</source>
        <translation>一筆人員的設備資料損毀</translation>
    </message>
    <message>
        <source>an output of the staff is out of range</source>
        <translation>一個人員的輸出超出範圍</translation>
    </message>
    <message>
        <source>too many scenes</source>
        <translation>場景太多</translation>
    </message>
    <message>
        <source>a scene name is damaged</source>
        <translation>一個場景名稱損毀</translation>
    </message>
    <message>
        <source>the file is larger than %1 KiB</source>
        <translation>檔案大於 %1 KiB</translation>
    </message>
    <message>
        <source>not a roles file of Quadrel</source>
        <translation>不是 Quadrel 的角色檔</translation>
    </message>
    <message>
        <source>written by a newer Quadrel (format %1)</source>
        <translation>由較新版的 Quadrel 寫入（格式 %1）</translation>
    </message>
    <message>
        <source>the password&apos;s record is damaged</source>
        <translation>密碼紀錄損毀</translation>
    </message>
    <message>
        <source>&quot;startLocked&quot; is not true or false</source>
        <translation>「startLocked」不是 true 或 false</translation>
    </message>
    <message>
        <source>The roles file %1 could not be used (%2). The window stays locked; to start again, delete the file as the user who runs Quadrel.</source>
        <translation>無法使用角色檔 %1（%2）。視窗保持鎖定；若要重新開始，請以執行 Quadrel 的使用者身分刪除該檔案。</translation>
    </message>
    <message>
        <source>the staff PIN&apos;s record is damaged</source>
        <translation>員工 PIN 碼紀錄損毀</translation>
    </message>
</context>
<context>
    <name>SceneJob</name>
    <message>
        <source>the line is busy, or no port is open</source>
        <translation>線路忙碌中，或未開啟連接埠</translation>
    </message>
    <message>
        <source>the last step is not a scene&apos;s recall</source>
        <translation>最後一步不是場景的叫出</translation>
    </message>
    <message>
        <source>the next step is not a scene&apos;s recall</source>
        <translation>下一步不是場景的叫出</translation>
    </message>
    <message>
        <source>nothing was sent: the line is busy, or no port is open</source>
        <translation>未傳送任何內容：線路忙碌中，或未開啟連接埠</translation>
    </message>
    <message>
        <source>nothing was sent: scene “%1”: %2</source>
        <extracomment>%1: the scene&apos;s name; %2: what is wrong with it</extracomment>
        <translation>未傳送任何內容：場景「%1」：%2</translation>
    </message>
    <message>
        <source>units not read: %1</source>
        <extracomment>%1: IDs of units, as &quot;03, 1F&quot;</extracomment>
        <translation>未讀取的設備：%1</translation>
    </message>
</context>
<context>
    <name>SceneKeys</name>
    <message>
        <source>the pages&apos; own keys (add Ctrl or Alt to a letter or digit)</source>
        <translation>頁面本身的按鍵（請在字母或數字前加上 Ctrl 或 Alt）</translation>
    </message>
    <message>
        <source>the log window</source>
        <translation>記錄視窗</translation>
    </message>
    <message>
        <source>scene “%1”</source>
        <extracomment>the holder of a shortcut: another scene</extracomment>
        <translation>場景「%1」</translation>
    </message>
    <message>
        <source>the keys of text boxes and the grid</source>
        <translation>文字方塊與切換格的按鍵</translation>
    </message>
</context>
<context>
    <name>ScenePlan</name>
    <message>
        <source>no unit answers at ID %1: nothing sent to it</source>
        <extracomment>%1: a unit&apos;s ID in hex</extracomment>
        <translation>ID %1 沒有設備回應：未傳送任何內容給它</translation>
    </message>
    <message>
        <source>at ID %1 answers “%2” (%3 in, %4 out), not the scene&apos;s “%5” (%6 in, %7 out): nothing sent to it</source>
        <extracomment>%1: an ID; %2, %5: units&apos; names; %3, %6: input counts; %4, %7: output counts</extracomment>
        <translation>ID %1 回應的是「%2」（%3 入，%4 出），不是場景中的「%5」（%6 入，%7 出）：未傳送任何內容給它</translation>
    </message>
    <message>
        <source>unit %1 has no preset %2 (it has %3)</source>
        <extracomment>%1: an ID; %2: a memory location; %3: how many the unit has</extracomment>
        <translation>設備 %1 沒有預設 %2（它有 %3 個）</translation>
    </message>
    <message>
        <source>past the unit&apos;s %1 inputs</source>
        <translation>超出設備的 %1 個輸入</translation>
    </message>
    <message>
        <source>past the unit&apos;s %1 outputs</source>
        <translation>超出設備的 %1 個輸出</translation>
    </message>
    <message>
        <source>input %1 is past the unit&apos;s %2 inputs</source>
        <extracomment>%1: an input port; %2: how many inputs the unit has</extracomment>
        <translation>輸入 %1 超出設備的 %2 個輸入</translation>
    </message>
    <message>
        <source>the unit has no such control</source>
        <translation>設備沒有此項控制</translation>
    </message>
    <message>
        <source>unit %1, %2: %3</source>
        <extracomment>%1: an ID; %2: where, as &quot;Output 3&quot;; %3: why, as &quot;volume 150 is outside 0-100&quot;</extracomment>
        <translation>設備 %1，%2：%3</translation>
    </message>
    <message>
        <source>%1 %2: %3</source>
        <extracomment>%1: where, as &quot;Output 3&quot;; %2: the setting; %3: why it is left out</extracomment>
        <translation>%1 %2：%3</translation>
    </message>
    <message>
        <source>%1 %2: changed since to %3, left as it is</source>
        <extracomment>%1: where, as &quot;Output 3&quot;; %2: the setting; %3: its value now</extracomment>
        <translation>%1 %2：之後已改為 %3，保持原狀</translation>
    </message>
</context>
<context>
    <name>SceneReport</name>
    <message>
        <source>Undo of scene “%1”</source>
        <translation>場景「%1」的復原</translation>
    </message>
    <message>
        <source>Redo of scene “%1”</source>
        <translation>場景「%1」的重做</translation>
    </message>
    <message>
        <source>Scene “%1”</source>
        <translation>場景「%1」</translation>
    </message>
    <message>
        <source>%1 recalled: %2</source>
        <extracomment>%1: the scene&apos;s recall, its undo or redo; %2: counts</extracomment>
        <translation>%1 已叫出：%2</translation>
    </message>
    <message>
        <source>%1 recalled in part: %2</source>
        <translation>%1 已部分叫出：%2</translation>
    </message>
    <message>
        <source>%1 cancelled: %2</source>
        <translation>%1 已取消：%2</translation>
    </message>
    <message>
        <source>%1 stopped, the port closed: %2</source>
        <translation>%1 已停止，連接埠已關閉：%2</translation>
    </message>
    <message>
        <source>Unit %1 (%2)</source>
        <extracomment>a unit in a scene&apos;s report: %1 its ID in hex, %2 its name</extracomment>
        <translation>設備 %1（%2）</translation>
    </message>
    <message>
        <source>already as the scene sets it; nothing sent</source>
        <translation>已與場景相同；未傳送任何內容</translation>
    </message>
    <message>
        <source>values set: %1; the unit took every one</source>
        <translation>已設定數值：%1；設備全部接受</translation>
    </message>
    <message>
        <source>values set: %1; some of the scene left out</source>
        <translation>已設定數值：%1；場景有部分被略過</translation>
    </message>
    <message>
        <source>values set: %1 of %2; not taken: %3</source>
        <extracomment>%1, %2, %3: counts of values</extracomment>
        <translation>已設定數值：%1 / %2；未接受：%3</translation>
    </message>
    <message>
        <source>not on the line; nothing sent</source>
        <translation>不在線路上；未傳送任何內容</translation>
    </message>
    <message>
        <source>stopped answering; %1 of %2 values sent</source>
        <translation>停止回應；已傳送 %1 / %2 個數值</translation>
    </message>
    <message>
        <source>cancelled before its turn; left as it was</source>
        <translation>輪到它之前已取消；保持原狀</translation>
    </message>
    <message>
        <source>cancelled; %1 of %2 values sent</source>
        <translation>已取消；已傳送 %1 / %2 個數值</translation>
    </message>
    <message>
        <source>not reached: the port closed; left as it was</source>
        <translation>未輪到：連接埠已關閉；保持原狀</translation>
    </message>
    <message>
        <source>the port closed; %1 of %2 values sent</source>
        <translation>連接埠已關閉；已傳送 %1 / %2 個數值</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>%1: the unit; %2: what the recall did to it</extracomment>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>  left out: %1</source>
        <extracomment>a line of a scene&apos;s report under its unit</extracomment>
        <translation>  略過：%1</translation>
    </message>
    <message>
        <source>  not on the unit: %1</source>
        <translation>  設備上不是此值：%1</translation>
    </message>
    <message>
        <source>  not known (no read back): %1</source>
        <translation>  不確定（無法讀回）：%1</translation>
    </message>
    <message>
        <source>units complete: %1 of %3; values sent: %2</source>
        <extracomment>%1, %3: counts of units; %2: a count of values</extracomment>
        <translation>完成的設備：%1 / %3；已傳送數值：%2</translation>
    </message>
    <message>
        <source>cancelled once its preset was loaded; no value sent</source>
        <translation>已載入其預設後取消；未傳送任何數值</translation>
    </message>
</context>
<context>
    <name>SceneStore</name>
    <message>
        <source>The scenes file %1 is held by another program.</source>
        <translation>場景檔 %1 正被其他程式使用。</translation>
    </message>
    <message>
        <source>The scenes file %1 could not be read (%2). It is left as it is.</source>
        <translation>無法讀取場景檔 %1（%2）。檔案保持原狀。</translation>
    </message>
    <message>
        <source>The scenes file %1 was written by a newer Quadrel (%2). It is left as it is.</source>
        <translation>場景檔 %1 由較新版的 Quadrel 寫入（%2）。檔案保持原狀。</translation>
    </message>
    <message>
        <source>The scenes file could not be read (%1). It was kept as %2; no scene is recalled from it.</source>
        <translation>無法讀取場景檔（%1）。已保留為 %2；不會從中叫出任何場景。</translation>
    </message>
    <message>
        <source>The scenes file %1 could not be read (%2) nor kept aside.</source>
        <translation>無法讀取場景檔 %1（%2），也無法另行保留。</translation>
    </message>
    <message>
        <source>The scenes could not be written to %1: another program holds it.</source>
        <translation>無法將場景寫入 %1：其他程式正在使用。</translation>
    </message>
    <message>
        <source>The scenes could not be written to %1 (%2); the file is as it was.</source>
        <translation>無法將場景寫入 %1（%2）；檔案維持原樣。</translation>
    </message>
    <message>
        <source>There is already a scene called “%1”.</source>
        <translation>已經有名為「%1」的場景。</translation>
    </message>
    <message>
        <source>The scenes file holds at most %1 scenes.</source>
        <translation>場景檔最多可存 %1 個場景。</translation>
    </message>
    <message>
        <source>A scene&apos;s name is 1 to %1 characters, without spaces at its ends.</source>
        <translation>場景名稱為 1 到 %1 個字元，前後不可有空格。</translation>
    </message>
    <message>
        <source>The shortcut is too long.</source>
        <translation>快速鍵太長。</translation>
    </message>
    <message>
        <source>larger than %1 MiB</source>
        <translation>大於 %1 MiB</translation>
    </message>
    <message>
        <source>not a Quadrel scenes file, or damaged</source>
        <translation>不是 Quadrel 場景檔，或已損壞</translation>
    </message>
    <message>
        <source>format version %1; this Quadrel reads up to version %2</source>
        <translation>格式版本 %1；此版 Quadrel 最高可讀取版本 %2</translation>
    </message>
    <message>
        <source>more than %1 scenes</source>
        <translation>超過 %1 個場景</translation>
    </message>
    <message>
        <source>scene %1: its name, shortcut or number of units is damaged</source>
        <translation>場景 %1：名稱、快速鍵或設備數量已損壞</translation>
    </message>
    <message>
        <source>unit %1 is named twice</source>
        <translation>設備 %1 出現兩次</translation>
    </message>
    <message>
        <source>scene “%1”: %2</source>
        <extracomment>%1: the scene&apos;s name; %2: what is wrong</extracomment>
        <translation>場景「%1」：%2</translation>
    </message>
    <message>
        <source>the unit&apos;s ID, name or size is damaged or out of range</source>
        <translation>設備的 ID、名稱或大小已損壞或超出範圍</translation>
    </message>
    <message>
        <source>the preset location is out of range</source>
        <translation>預設位置超出範圍</translation>
    </message>
    <message>
        <source>too many ports</source>
        <translation>連接埠太多</translation>
    </message>
    <message>
        <source>an output number is damaged, out of range or given twice</source>
        <translation>輸出編號已損壞、超出範圍或重複</translation>
    </message>
    <message>
        <source>output %1: %2 is damaged or out of range</source>
        <translation>輸出 %1：%2 已損壞或超出範圍</translation>
    </message>
    <message>
        <source>an input&apos;s EDID is damaged, out of range or given twice</source>
        <translation>輸入的 EDID 已損壞、超出範圍或重複</translation>
    </message>
</context>
<context>
    <name>SettingRange</name>
    <message>
        <source>audio input</source>
        <translation>音訊輸入</translation>
    </message>
    <message>
        <source>video input</source>
        <translation>視訊輸入</translation>
    </message>
    <message>
        <source>mute</source>
        <extracomment>the setting, muted or not</extracomment>
        <translation>靜音</translation>
    </message>
    <message>
        <source>volume</source>
        <translation>音量</translation>
    </message>
    <message>
        <source>bass</source>
        <translation>低音</translation>
    </message>
    <message>
        <source>treble</source>
        <translation>高音</translation>
    </message>
    <message>
        <source>subwoofer</source>
        <translation>重低音</translation>
    </message>
    <message>
        <source>delay</source>
        <translation>延遲</translation>
    </message>
    <message>
        <source>EDID</source>
        <translation>EDID</translation>
    </message>
    <message>
        <source>the unit has no EDID choice</source>
        <translation>設備沒有 EDID 選擇</translation>
    </message>
    <message>
        <source>the unit has no %1 control</source>
        <translation>設備沒有%1控制</translation>
    </message>
    <message>
        <source>volume and mute</source>
        <translation>音量與靜音</translation>
    </message>
    <message>
        <source>%1 %2 is neither 0 nor 1</source>
        <translation>%1 %2 既不是 0 也不是 1</translation>
    </message>
    <message>
        <source>%1 %2 is outside 0-%3</source>
        <translation>%1 %2 超出 0-%3</translation>
    </message>
    <message>
        <source>delay %1 ms is outside 0-%2 ms</source>
        <translation>延遲 %1 毫秒超出 0-%2 毫秒</translation>
    </message>
    <message>
        <source>delay %1 ms is not a multiple of the unit&apos;s %2 ms step</source>
        <translation>延遲 %1 毫秒不是設備 %2 毫秒級距的倍數</translation>
    </message>
</context>
<context>
    <name>StaffRules</name>
    <message>
        <source>Locked: only the technician may %1</source>
        <extracomment>%1: what is refused, as &quot;change the bass&quot;</extracomment>
        <translation>已鎖定：只有技術人員可以%1</translation>
    </message>
    <message>
        <source>Locked: scene &quot;%1&quot; is not among the staff&apos;s scenes</source>
        <translation>已鎖定：場景「%1」不在人員的場景之中</translation>
    </message>
    <message>
        <source>Locked: unit %1 has no staff&apos;s outputs</source>
        <translation>已鎖定：設備 %1 沒有開放給人員的輸出</translation>
    </message>
    <message>
        <source>Locked: output %1 is not among the staff&apos;s outputs</source>
        <translation>已鎖定：輸出 %1 不在人員的輸出之中</translation>
    </message>
    <message>
        <source>switch sources</source>
        <translation>切換訊號源</translation>
    </message>
    <message>
        <source>mute</source>
        <translation>靜音</translation>
    </message>
    <message>
        <source>change the volume</source>
        <translation>調整音量</translation>
    </message>
    <message>
        <source>recall scenes</source>
        <translation>叫出場景</translation>
    </message>
    <message>
        <source>change the bass</source>
        <translation>調整低音</translation>
    </message>
    <message>
        <source>change the treble</source>
        <translation>調整高音</translation>
    </message>
    <message>
        <source>change the subwoofer</source>
        <translation>調整重低音</translation>
    </message>
    <message>
        <source>change the delay</source>
        <translation>調整延遲</translation>
    </message>
    <message>
        <source>change the EDID</source>
        <translation>變更 EDID</translation>
    </message>
    <message>
        <source>save memory presets</source>
        <translation>儲存記憶預設</translation>
    </message>
    <message>
        <source>load memory presets</source>
        <translation>載入記憶預設</translation>
    </message>
    <message>
        <source>save unit settings</source>
        <translation>儲存設備設定</translation>
    </message>
    <message>
        <source>restore unit settings</source>
        <translation>還原設備設定</translation>
    </message>
    <message>
        <source>rename</source>
        <translation>更改名稱</translation>
    </message>
    <message>
        <source>open Options</source>
        <translation>開啟選項</translation>
    </message>
</context>
<context>
    <name>StatusPolling</name>
    <message>
        <source>S&amp;can</source>
        <extracomment>the scan button, &quot;&amp;&quot; before its shortcut key</extracomment>
        <translation>掃描(&amp;C)</translation>
    </message>
    <message>
        <source>Stop S&amp;can</source>
        <extracomment>the scan button while a scan runs, &quot;&amp;&quot; before its shortcut key</extracomment>
        <translation>停止掃描(&amp;C)</translation>
    </message>
</context>
<context>
    <name>SwitchView</name>
    <message>
        <source>output %1 audio plug</source>
        <translation>輸出 %1 音訊接頭</translation>
    </message>
    <message>
        <source>output %1 video plug</source>
        <translation>輸出 %1 視訊接頭</translation>
    </message>
    <message>
        <source>input %1 audio plug</source>
        <translation>輸入 %1 音訊接頭</translation>
    </message>
    <message>
        <source>input %1 video plug</source>
        <translation>輸入 %1 視訊接頭</translation>
    </message>
</context>
<context>
    <name>TokenFile</name>
    <message>
        <source>the file is larger than %1 KiB</source>
        <translation>檔案大於 %1 KiB</translation>
    </message>
    <message>
        <source>not a tokens file of Quadrel</source>
        <translation>不是 Quadrel 的權杖檔</translation>
    </message>
    <message>
        <source>written by a newer Quadrel (format %1)</source>
        <translation>由較新版的 Quadrel 寫入（格式 %1）</translation>
    </message>
    <message>
        <source>more than %1 tokens</source>
        <translation>超過 %1 個權杖</translation>
    </message>
    <message>
        <source>a token is damaged</source>
        <translation>有一個權杖已損毀</translation>
    </message>
    <message>
        <source>a token&apos;s name is 1 to %1 characters</source>
        <translation>權杖名稱為 1 到 %1 個字元</translation>
    </message>
    <message>
        <source>there are %1 tokens, the most there may be</source>
        <translation>已有 %1 個權杖，已達上限</translation>
    </message>
    <message>
        <source>there is already a token called “%1”</source>
        <translation>已有名為「%1」的權杖</translation>
    </message>
    <message>
        <source>no token is called “%1”</source>
        <translation>沒有名為「%1」的權杖</translation>
    </message>
</context>
<context>
    <name>UnitList</name>
    <message>
        <source>Enable</source>
        <extracomment>A unit supports the feature of this column, or not.</extracomment>
        <translation>支援</translation>
    </message>
    <message>
        <source>Disable</source>
        <translation>不支援</translation>
    </message>
    <message>
        <source>Unit %1 was found here by the last scan; it has not answered yet</source>
        <translation>上次掃描在此找到設備 %1；它尚未回應</translation>
    </message>
    <message>
        <source>(last seen)</source>
        <translation>（上次所見）</translation>
    </message>
    <message>
        <source>%1 (last seen)</source>
        <translation>%1（上次所見）</translation>
    </message>
    <message>
        <source>Both</source>
        <translation>兩者</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>音訊</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>視訊</translation>
    </message>
    <message>
        <source>None</source>
        <translation>無</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>不明</translation>
    </message>
</context>
<context>
    <name>UnitNames</name>
    <message>
        <source>Input %1</source>
        <translation>輸入 %1</translation>
    </message>
    <message>
        <source>Output %1</source>
        <translation>輸出 %1</translation>
    </message>
    <message>
        <source>Preset %1</source>
        <extracomment>a memory location of the unit</extracomment>
        <translation>預設 %1</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>設備</translation>
    </message>
</context>
<context>
    <name>UnitPane</name>
    <message>
        <source>unit %1</source>
        <translation>設備 %1</translation>
    </message>
</context>
<context>
    <name>UnitSettings</name>
    <message>
        <source>the file is for %1 inputs and %2 outputs, this unit has %3 and %4</source>
        <translation>檔案是給 %1 個輸入與 %2 個輸出，此設備有 %3 與 %4 個</translation>
    </message>
    <message>
        <source>audio switching</source>
        <translation>音訊切換</translation>
    </message>
    <message>
        <source>video switching</source>
        <translation>視訊切換</translation>
    </message>
    <message>
        <source>volume and mute</source>
        <translation>音量與靜音</translation>
    </message>
    <message>
        <source>bass</source>
        <translation>低音</translation>
    </message>
    <message>
        <source>treble</source>
        <translation>高音</translation>
    </message>
    <message>
        <source>subwoofer</source>
        <translation>重低音</translation>
    </message>
    <message>
        <source>delay</source>
        <translation>延遲</translation>
    </message>
    <message>
        <source>EDID select</source>
        <translation>EDID 選擇</translation>
    </message>
    <message>
        <source>%1: the file has it, this unit has none</source>
        <extracomment>%1: a section of controls, as &quot;bass&quot;</extracomment>
        <translation>%1：檔案中有，此設備沒有</translation>
    </message>
    <message>
        <source>%1: the file has none, this unit has it</source>
        <translation>%1：檔案中沒有，此設備有</translation>
    </message>
    <message>
        <source>delay: the file in %1 ms steps up to %2 ms, this unit in %3 ms steps up to %4 ms</source>
        <translation>延遲：檔案以 %1 毫秒為級距，最多 %2 毫秒；此設備以 %3 毫秒為級距，最多 %4 毫秒</translation>
    </message>
    <message>
        <source>presets: the file has %1 locations, this unit %2</source>
        <translation>預設：檔案有 %1 個位置，此設備有 %2 個</translation>
    </message>
    <message>
        <source>saved from unit %1, restoring to unit %2</source>
        <translation>儲存自設備 %1，還原至設備 %2</translation>
    </message>
    <message>
        <source>saved from &quot;%1&quot;, this unit is &quot;%2&quot;</source>
        <translation>儲存自「%1」，此設備為「%2」</translation>
    </message>
    <message>
        <source>unknown</source>
        <extracomment>a firmware version not known
----------
a value the unit has not reported</extracomment>
        <translation>不明</translation>
    </message>
    <message>
        <source>firmware %1 in the file, %2 in this unit</source>
        <translation>檔案中的韌體為 %1，此設備為 %2</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>reported name</source>
        <translation>回報的名稱</translation>
    </message>
    <message>
        <source>firmware</source>
        <translation>韌體</translation>
    </message>
    <message>
        <source>Input %1</source>
        <translation>輸入 %1</translation>
    </message>
    <message>
        <source>Output %1</source>
        <translation>輸出 %1</translation>
    </message>
    <message>
        <source>Preset %1, input %2</source>
        <extracomment>%1: a memory location of the unit; %2: a port</extracomment>
        <translation>預設 %1，輸入 %2</translation>
    </message>
    <message>
        <source>Preset %1, output %2</source>
        <translation>預設 %1，輸出 %2</translation>
    </message>
    <message>
        <source>delay (ms)</source>
        <translation>延遲（毫秒）</translation>
    </message>
    <message>
        <source>none</source>
        <extracomment>no input routed to the output</extracomment>
        <translation>無</translation>
    </message>
    <message>
        <source>on</source>
        <extracomment>muted</extracomment>
        <translation>開</translation>
    </message>
    <message>
        <source>off</source>
        <extracomment>not muted</extracomment>
        <translation>關</translation>
    </message>
    <message>
        <source>output 1&apos;s</source>
        <extracomment>the EDID an input presents: that of output 1&apos;s display</extracomment>
        <translation>輸出 1 的</translation>
    </message>
    <message>
        <source>fixed</source>
        <extracomment>the EDID an input presents: the unit&apos;s own</extracomment>
        <translation>固定</translation>
    </message>
    <message>
        <source>%1 %2: %3 → %4</source>
        <extracomment>%1: where, as &quot;Output 3&quot;; %2: the setting; %3: the unit&apos;s value; %4: the file&apos;s</extracomment>
        <translation>%1 %2：%3 → %4</translation>
    </message>
</context>
<context>
    <name>UnitSettingsFile</name>
    <message>
        <source>the file is larger than %1 MiB</source>
        <translation>檔案大於 %1 MiB</translation>
    </message>
    <message>
        <source>the file is damaged or cut short (%1 at byte %2)</source>
        <translation>檔案已損壞或不完整（位元組 %2 處：%1）</translation>
    </message>
    <message>
        <source>this is not a Quadrel unit settings file</source>
        <translation>這不是 Quadrel 設備設定檔</translation>
    </message>
    <message>
        <source>the file has format version %1; this Quadrel reads version %2</source>
        <translation>檔案格式版本為 %1；此版 Quadrel 讀取版本 %2</translation>
    </message>
    <message>
        <source>the file is not complete</source>
        <translation>檔案不完整</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>不是一般檔案</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>%1: where in the file (a key path, as &quot;outputs[3].volume&quot;); %2: what is wrong there</extracomment>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>unknown key &quot;%1&quot;</source>
        <translation>不明的鍵「%1」</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>缺少</translation>
    </message>
    <message>
        <source>not a whole number</source>
        <translation>不是整數</translation>
    </message>
    <message>
        <source>%1 is outside %2 to %3</source>
        <translation>%1 超出 %2 到 %3</translation>
    </message>
    <message>
        <source>%1 is not a multiple of %2</source>
        <translation>%1 不是 %2 的倍數</translation>
    </message>
    <message>
        <source>not true or false</source>
        <translation>不是 true 或 false</translation>
    </message>
    <message>
        <source>not text</source>
        <translation>不是文字</translation>
    </message>
    <message>
        <source>longer than %1 characters</source>
        <translation>超過 %1 個字元</translation>
    </message>
    <message>
        <source>names controls of a section the unit does not have</source>
        <translation>指名了設備沒有的區段的控制項</translation>
    </message>
    <message>
        <source>%1 entries for %2 outputs</source>
        <translation>%2 個輸出有 %1 個項目</translation>
    </message>
    <message>
        <source>not an output</source>
        <translation>不是輸出</translation>
    </message>
    <message>
        <source>output %1 twice</source>
        <translation>輸出 %1 出現兩次</translation>
    </message>
    <message>
        <source>%1 entries for %2 inputs with EDID select</source>
        <translation>%2 個具 EDID 選擇的輸入有 %1 個項目</translation>
    </message>
    <message>
        <source>input %1 twice</source>
        <translation>輸入 %1 出現兩次</translation>
    </message>
    <message>
        <source>not a list of at most %1 locations</source>
        <translation>不是最多 %1 個位置的清單</translation>
    </message>
    <message>
        <source>location %1 twice</source>
        <translation>位置 %1 出現兩次</translation>
    </message>
</context>
<context>
    <name>UnitSettingsJob</name>
    <message>
        <source>1 value</source>
        <translation>1 個數值</translation>
    </message>
    <message>
        <source>%1 values</source>
        <translation>%1 個數值</translation>
    </message>
    <message>
        <source>the port closed</source>
        <translation>連接埠已關閉</translation>
    </message>
    <message>
        <source>unit %1 stopped answering</source>
        <translation>設備 %1 停止回應</translation>
    </message>
    <message>
        <source>no unit that answers is selected, or it is busy</source>
        <translation>未選擇有回應的設備，或設備忙碌中</translation>
    </message>
    <message>
        <source>unit %1 saved to %2</source>
        <translation>設備 %1 已儲存至 %2</translation>
    </message>
    <message>
        <source>%1 could not be written: %2</source>
        <translation>無法寫入 %1：%2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>%1: a file; %2: why it cannot be used
----------
%1: why the restore stopped; %2: how far it got</extracomment>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>the file does not fit unit %1: %2</source>
        <extracomment>%2: the differences, as &quot;presets: the file has 8 locations, this unit 4&quot;</extracomment>
        <translation>檔案不適用於設備 %1：%2</translation>
    </message>
    <message>
        <source>; </source>
        <extracomment>between the differences of a file and a unit
----------
between the parts of a restore&apos;s report</extracomment>
        <translation>；</translation>
    </message>
    <message>
        <source>the unit read is no longer the selected one, or it is busy</source>
        <translation>已讀取的設備不再是所選設備，或設備忙碌中</translation>
    </message>
    <message>
        <source>cancelled: nothing was sent</source>
        <translation>已取消：未傳送任何內容</translation>
    </message>
    <message>
        <source>cancelled: %1 of %2 changes sent</source>
        <translation>已取消：已傳送 %1 / %2 項變更</translation>
    </message>
    <message>
        <source>%1 of %2 changes sent</source>
        <translation>已傳送 %1 / %2 項變更</translation>
    </message>
    <message>
        <source>the live outputs were put back as they were</source>
        <translation>現場輸出已恢復原狀</translation>
    </message>
    <message>
        <source>nothing could be read back: %1 unknown, %2 not sent</source>
        <extracomment>%1, %2: counts, as &quot;3 values&quot;</extracomment>
        <translation>無法讀回任何內容：%1 項不明，%2 項未傳送</translation>
    </message>
    <message>
        <source>the unit still differs from the file in %1</source>
        <extracomment>%1: a count, as &quot;3 values&quot;</extracomment>
        <translation>設備仍有 %1 與檔案不同</translation>
    </message>
    <message>
        <source>the unit did not take %1</source>
        <extracomment>%1: a count, as &quot;3 values&quot;</extracomment>
        <translation>設備未接受 %1</translation>
    </message>
    <message>
        <source>the unit took every value</source>
        <translation>設備接受了所有數值</translation>
    </message>
</context>
<context>
    <name>UnitSettingsUi</name>
    <message>
        <source>… and %1 more</source>
        <translation>…… 另有 %1 項</translation>
    </message>
    <message>
        <source>Quadrel unit settings (*.json);;All files (*)</source>
        <translation>Quadrel 設備設定 (*.json);;所有檔案 (*)</translation>
    </message>
    <message>
        <source>Save unit settings</source>
        <translation>儲存設備設定</translation>
    </message>
    <message>
        <source>Restore unit settings</source>
        <translation>還原設備設定</translation>
    </message>
    <message>
        <source>Select a unit that answers, and wait until it has been read.</source>
        <translation>請選擇有回應的設備，並等待讀取完成。</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Cancelling: reading the unit back…</source>
        <translation>正在取消：重新讀取設備……</translation>
    </message>
    <message>
        <source>Save the unit&apos;s %1 memory presets too? Each is read from the unit, which takes a few seconds.</source>
        <translation>是否一併儲存設備的 %1 組記憶預設？每組都要從設備讀取，需要幾秒鐘。</translation>
    </message>
    <message>
        <source>Reading unit %1…</source>
        <translation>正在讀取設備 %1……</translation>
    </message>
    <message>
        <source>Nothing was saved: %1.</source>
        <translation>未儲存任何內容：%1。</translation>
    </message>
    <message>
        <source>Nothing was sent. %1: %2.</source>
        <translation>未傳送任何內容。%1：%2。</translation>
    </message>
    <message>
        <source>The file holds %1 memory presets. Restore them too?

Each preset is passed through the live outputs: its routes and levels are set, it is saved to its location, and the live state is put back. This is heard and seen on a live system.</source>
        <translation>此檔案含有 %1 組記憶預設。是否一併還原？

每組預設都會經由現場輸出：先設定其切換與音量，再存入其位置，然後恢復現場狀態。在運作中的系統上，這會被聽到和看到。</translation>
    </message>
    <message>
        <source>Nothing was sent: %1.</source>
        <translation>未傳送任何內容：%1。</translation>
    </message>
    <message>
        <source>Unit %1 already holds every value of the file; nothing was sent.</source>
        <translation>設備 %1 已有檔案中的所有數值；未傳送任何內容。</translation>
    </message>
    <message>
        <source>The file&apos;s names are used for this unit; no value differed, nothing was sent.</source>
        <translation>已對此設備使用檔案中的名稱；沒有不同的數值，未傳送任何內容。</translation>
    </message>
    <message>
        <source>The file&apos;s names could not be kept; nothing was sent.</source>
        <translation>無法保存檔案中的名稱；未傳送任何內容。</translation>
    </message>
    <message>
        <source>No value differed; nothing was sent.</source>
        <translation>沒有不同的數值；未傳送任何內容。</translation>
    </message>
    <message>
        <source>Restoring unit %1…</source>
        <translation>正在還原設備 %1……</translation>
    </message>
    <message>
        <source>

Not restored:
%1</source>
        <translation>

未還原：
%1</translation>
    </message>
    <message>
        <source>

Not sent:
%1</source>
        <translation>

未傳送：
%1</translation>
    </message>
    <message>
        <source>

Not taken:
%1</source>
        <translation>

未被接受：
%1</translation>
    </message>
    <message>
        <source>

Sent, but not read back (unknown):
%1</source>
        <translation>

已傳送，但未讀回（不明）：
%1</translation>
    </message>
</context>
<context>
    <name>basCOMM</name>
    <message>
        <source>pseudo-terminal</source>
        <translation>虛擬終端機</translation>
    </message>
    <message>
        <source>serial port</source>
        <translation>序列埠</translation>
    </message>
    <message>
        <source>USB serial adapter</source>
        <translation>USB 序列轉接器</translation>
    </message>
    <message>
        <source>USB modem (CDC ACM)</source>
        <translation>USB 數據機 (CDC ACM)</translation>
    </message>
    <message>
        <source>serial device</source>
        <translation>序列裝置</translation>
    </message>
    <message>
        <source>%1 (alias com%2)</source>
        <extracomment>%1: the kind of device; &quot;com%2&quot; is the name of the alias file</extracomment>
        <translation>%1（別名 com%2）</translation>
    </message>
    <message>
        <source>%1 - %2</source>
        <extracomment>%1: the device&apos;s path; %2: its kind, as &quot;USB serial adapter&quot;</extracomment>
        <translation>%1 - %2</translation>
    </message>
</context>
<context>
    <name>basMain</name>
    <message>
        <source>Undone: %1</source>
        <translation>已復原：%1</translation>
    </message>
    <message>
        <source>Done again: %1</source>
        <translation>已重做：%1</translation>
    </message>
    <message>
        <source>Nothing to undo</source>
        <translation>沒有可復原的動作</translation>
    </message>
    <message>
        <source>Nothing to redo</source>
        <translation>沒有可重做的動作</translation>
    </message>
    <message>
        <source>Can not find COM port</source>
        <translation>找不到 COM 連接埠</translation>
    </message>
    <message>
        <source>The settings file %1 %2. The port and baud rate in it are not used: choose them in Options.</source>
        <translation>設定檔 %1 %2。其中的連接埠與鮑率不會被使用：請在「選項」中選擇。</translation>
    </message>
    <message>
        <source>quadrel-ctl: %1</source>
        <translation>quadrel-ctl：%1</translation>
    </message>
    <message>
        <source>quadrel-ctl: %1: %2</source>
        <translation>quadrel-ctl：%1：%2</translation>
    </message>
    <message>
        <source>COM%1 is not served to quadrel-ctl: %2</source>
        <translation>COM%1 未提供給 quadrel-ctl：%2</translation>
    </message>
    <message>
        <source>Roles</source>
        <translation>角色</translation>
    </message>
    <message>
        <source>Locked: only the technician may make or edit scenes</source>
        <translation>已鎖定：只有技術人員可以建立或編輯場景</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>網路</translation>
    </message>
    <message>
        <source>Network clients are not served: %1</source>
        <extracomment>%1: why, as &quot;the API will not listen on 127.0.0.1 port 8480: address in use&quot;</extracomment>
        <translation>未提供網路用戶端服務：%1</translation>
    </message>
</context>
<context>
    <name>quadrel::AudioOutputPanel</name>
    <message>
        <source>Volume</source>
        <translation>音量</translation>
    </message>
    <message>
        <source>Volume bar</source>
        <translation>音量滑桿</translation>
    </message>
    <message>
        <source>Bass</source>
        <translation>低音</translation>
    </message>
    <message>
        <source>Bass bar</source>
        <translation>低音滑桿</translation>
    </message>
    <message>
        <source>Treble</source>
        <translation>高音</translation>
    </message>
    <message>
        <source>Treble bar</source>
        <translation>高音滑桿</translation>
    </message>
    <message>
        <source>SW</source>
        <extracomment>short for subwoofer, in a narrow column</extracomment>
        <translation>重低音</translation>
    </message>
    <message>
        <source>SW bar</source>
        <translation>重低音滑桿</translation>
    </message>
    <message>
        <source>Delay</source>
        <translation>延遲</translation>
    </message>
    <message>
        <source>Delay bar</source>
        <translation>延遲滑桿</translation>
    </message>
    <message>
        <source>Mute status</source>
        <translation>靜音狀態</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 毫秒</translation>
    </message>
</context>
<context>
    <name>quadrel::AudioPage</name>
    <message>
        <source>Select all</source>
        <translation>全選</translation>
    </message>
    <message>
        <source>Scroll outputs</source>
        <translation>捲動輸出</translation>
    </message>
    <message>
        <source>Output %1: mute not reported yet</source>
        <translation>輸出 %1：尚未回報靜音狀態</translation>
    </message>
    <message>
        <source>Output %1 is muted: click to unmute</source>
        <translation>輸出 %1 已靜音：按一下取消靜音</translation>
    </message>
    <message>
        <source>Output %1 is not muted: click to mute</source>
        <translation>輸出 %1 未靜音：按一下靜音</translation>
    </message>
</context>
<context>
    <name>quadrel::LevelBar</name>
    <message>
        <source>%1 of %2</source>
        <extracomment>a bar&apos;s value for screen readers: &quot;40 of 100&quot;</extracomment>
        <translation>%1 / %2</translation>
    </message>
    <message>
        <source>unknown</source>
        <extracomment>a bar whose value the unit has not reported</extracomment>
        <translation>不明</translation>
    </message>
</context>
<context>
    <name>quadrel::MemoryRowList</name>
    <message>
        <source>Memory contents</source>
        <translation>記憶內容</translation>
    </message>
    <message>
        <source>None</source>
        <translation>無</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>不明</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>靜音</translation>
    </message>
    <message>
        <source>Unmute</source>
        <translation>未靜音</translation>
    </message>
</context>
<context>
    <name>quadrel::MuteImage</name>
    <message>
        <source>Unknown</source>
        <extracomment>a mute picture: the unit has not reported whether the output is muted</extracomment>
        <translation>不明</translation>
    </message>
    <message>
        <source>Mute</source>
        <extracomment>a mute picture: the output is muted</extracomment>
        <translation>靜音</translation>
    </message>
    <message>
        <source>Unmute</source>
        <extracomment>a mute picture: the output is not muted</extracomment>
        <translation>未靜音</translation>
    </message>
</context>
<context>
    <name>quadrel::NamesDialog</name>
    <message>
        <source>Names</source>
        <translation>名稱</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>埠</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名稱</translation>
    </message>
    <message>
        <source>&amp;Import CSV…</source>
        <translation>匯入 CSV(&amp;I)……</translation>
    </message>
    <message>
        <source>&amp;Export CSV…</source>
        <translation>匯出 CSV(&amp;E)……</translation>
    </message>
    <message>
        <source>Comma-separated values (*.csv);;All files (*)</source>
        <translation>逗號分隔值 (*.csv);;所有檔案 (*)</translation>
    </message>
    <message>
        <source>Export names</source>
        <translation>匯出名稱</translation>
    </message>
    <message>
        <source>Import names</source>
        <translation>匯入名稱</translation>
    </message>
    <message>
        <source>Imported from %1.</source>
        <translation>已從 %1 匯入。</translation>
    </message>
    <message>
        <source>Imported from %1. Not taken: %2.</source>
        <translation>已從 %1 匯入。未採用：%2。</translation>
    </message>
    <message>
        <source>Nothing was imported: %1.</source>
        <translation>未匯入任何內容：%1。</translation>
    </message>
    <message>
        <source>Nothing was exported: %1.</source>
        <translation>未匯出任何內容：%1。</translation>
    </message>
    <message>
        <source>Exported to %1.</source>
        <translation>已匯出至 %1。</translation>
    </message>
</context>
<context>
    <name>quadrel::NetworkPage</name>
    <message>
        <source>Serve the &amp;HTTP API and its event stream</source>
        <translation>提供 &amp;HTTP API 與其事件串流</translation>
    </message>
    <message>
        <source>Serve the &amp;text protocol</source>
        <translation>提供&amp;文字協定</translation>
    </message>
    <message>
        <source>Listen on address</source>
        <translation>監聽位址</translation>
    </message>
    <message>
        <source>Other machines can reach this address: anyone there with a token can use the line. Name a certificate and key for encryption.</source>
        <translation>其他電腦可連到此位址：當中任何持有權杖的人都能使用線路。請指定憑證與金鑰以加密。</translation>
    </message>
    <message>
        <source>HTTP API port</source>
        <translation>HTTP API 連接埠</translation>
    </message>
    <message>
        <source>Text protocol port</source>
        <translation>文字協定連接埠</translation>
    </message>
    <message>
        <source>Certificate file (PEM)</source>
        <translation>憑證檔（PEM）</translation>
    </message>
    <message>
        <source>Key file (PEM)</source>
        <translation>金鑰檔（PEM）</translation>
    </message>
    <message>
        <source>Web pages allowed to call the API</source>
        <translation>允許呼叫 API 的網頁</translation>
    </message>
    <message>
        <source>none; separate several with spaces</source>
        <translation>無；多個請以空格分隔</translation>
    </message>
    <message>
        <source>Network clients</source>
        <translation>網路用戶端</translation>
    </message>
    <message>
        <source>&amp;Address:</source>
        <translation>位址(&amp;A)：</translation>
    </message>
    <message>
        <source>HTTP &amp;port:</source>
        <translation>HTTP 連接埠(&amp;P)：</translation>
    </message>
    <message>
        <source>Te&amp;xt port:</source>
        <translation>文字連接埠(&amp;X)：</translation>
    </message>
    <message>
        <source>&amp;Certificate:</source>
        <translation>憑證(&amp;C)：</translation>
    </message>
    <message>
        <source>&amp;Key:</source>
        <translation>金鑰(&amp;K)：</translation>
    </message>
    <message>
        <source>Allowed &amp;origins:</source>
        <translation>允許的來源(&amp;O)：</translation>
    </message>
    <message>
        <source>Tokens</source>
        <translation>權杖</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名稱</translation>
    </message>
    <message>
        <source>Role</source>
        <translation>角色</translation>
    </message>
    <message>
        <source>Made</source>
        <translation>建立時間</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>New token&apos;s name</source>
        <translation>新權杖的名稱</translation>
    </message>
    <message>
        <source>who it is for, as &quot;Room 2 panel&quot;</source>
        <translation>給誰使用，例如「2 號會議室面板」</translation>
    </message>
    <message>
        <source>New token&apos;s role</source>
        <translation>新權杖的角色</translation>
    </message>
    <message>
        <source>Staff</source>
        <translation>人員</translation>
    </message>
    <message>
        <source>Technician</source>
        <translation>技術人員</translation>
    </message>
    <message>
        <source>Crea&amp;te</source>
        <translation>建立(&amp;T)</translation>
    </message>
    <message>
        <source>Create token</source>
        <translation>建立權杖</translation>
    </message>
    <message>
        <source>&amp;Revoke</source>
        <translation>撤銷(&amp;R)</translation>
    </message>
    <message>
        <source>Revoke token</source>
        <translation>撤銷權杖</translation>
    </message>
    <message>
        <source>The new token</source>
        <translation>新權杖</translation>
    </message>
    <message>
        <source>a new token is shown here once: copy it then</source>
        <translation>新權杖只會在此顯示一次：請當下複製</translation>
    </message>
    <message>
        <source>The tokens file cannot be used (%1): no token lets anyone in until it is mended or deleted.</source>
        <translation>無法使用權杖檔（%1）：在修復或刪除之前，任何權杖都無法登入。</translation>
    </message>
    <message>
        <source>No token was made: %1.</source>
        <translation>未建立權杖：%1。</translation>
    </message>
    <message>
        <source>Choose the token to revoke in the list.</source>
        <translation>請在清單中選擇要撤銷的權杖。</translation>
    </message>
    <message>
        <source>The token was not revoked: %1.</source>
        <translation>未撤銷權杖：%1。</translation>
    </message>
    <message>
        <source>%1 is not an IP address.</source>
        <translation>%1 不是 IP 位址。</translation>
    </message>
    <message>
        <source>Encryption needs both a certificate and its key.</source>
        <translation>加密需要憑證及其金鑰。</translation>
    </message>
    <message>
        <source>The HTTP API and the text protocol need ports of their own.</source>
        <translation>HTTP API 與文字協定需要各自的連接埠。</translation>
    </message>
    <message>
        <source>The settings could not be written: %1.</source>
        <translation>無法寫入設定：%1。</translation>
    </message>
</context>
<context>
    <name>quadrel::PortNaming</name>
    <message>
        <source>&amp;Use them</source>
        <translation>使用(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Put them aside</source>
        <translation>擱置(&amp;P)</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>關閉</translation>
    </message>
    <message>
        <source>Unit %1 reports %2; names were made for %3</source>
        <translation>設備 %1 回報 %2；名稱是為 %3 所建立</translation>
    </message>
    <message>
        <source>Name of %1</source>
        <translation>%1 的名稱</translation>
    </message>
    <message>
        <source>&amp;Name %1…</source>
        <translation>命名%1(&amp;N)……</translation>
    </message>
    <message>
        <source>Names &amp;table…</source>
        <translation>名稱表(&amp;T)……</translation>
    </message>
    <message>
        <source>Names of unit %1</source>
        <translation>設備 %1 的名稱</translation>
    </message>
    <message>
        <source>Names of unit %1 (%2)</source>
        <translation>設備 %1（%2）的名稱</translation>
    </message>
</context>
<context>
    <name>quadrel::QtSerialPort</name>
    <message>
        <source>no such port</source>
        <translation>沒有此連接埠</translation>
    </message>
    <message>
        <source>invalid settings</source>
        <translation>設定無效</translation>
    </message>
    <message>
        <source>in use by another program</source>
        <translation>正被其他程式使用</translation>
    </message>
    <message>
        <source>port lost</source>
        <translation>連接埠中斷</translation>
    </message>
    <message>
        <source>in use by %1</source>
        <translation>正被 %1 使用</translation>
    </message>
</context>
<context>
    <name>quadrel::RestoreDialog</name>
    <message>
        <source>Restore unit settings</source>
        <translation>還原設備設定</translation>
    </message>
    <message>
        <source>Unit %1 &quot;%2&quot; holds %3 values otherwise than %4 (saved %5). Only these are sent; the unit is then read back.</source>
        <translation>設備 %1「%2」有 %3 個數值與 %4（儲存於 %5）不同。只會傳送這些數值，之後重新讀取設備。</translation>
    </message>
    <message>
        <source>Differences</source>
        <translation>差異</translation>
    </message>
    <message>
        <source>Where</source>
        <translation>位置</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Unit now</source>
        <translation>設備目前</translation>
    </message>
    <message>
        <source>File</source>
        <translation>檔案</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>設備</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>（無）</translation>
    </message>
    <message>
        <source>name on this PC</source>
        <translation>本機上的名稱</translation>
    </message>
    <message>
        <source>Presets are restored by passing each one through the live outputs: its routes and levels are set, it is saved to its location, and the live state is put back. This is heard and seen on a live system.</source>
        <translation>預設的還原方式是讓每組預設經由現場輸出：先設定其切換與音量，再存入其位置，然後恢復現場狀態。在運作中的系統上，這會被聽到和看到。</translation>
    </message>
    <message>
        <source>Also use the file&apos;s names for this unit on this PC</source>
        <translation>在本機上也對此設備使用檔案中的名稱</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>還原</translation>
    </message>
</context>
<context>
    <name>quadrel::RolesPage</name>
    <message>
        <source>New technician&apos;s password</source>
        <translation>新的技術人員密碼</translation>
    </message>
    <message>
        <source>unchanged</source>
        <translation>不變</translation>
    </message>
    <message>
        <source>none set</source>
        <translation>尚未設定</translation>
    </message>
    <message>
        <source>The new password again</source>
        <translation>再輸入一次新密碼</translation>
    </message>
    <message>
        <source>&amp;Start locked for the staff</source>
        <translation>啟動時鎖定給人員使用(&amp;S)</translation>
    </message>
    <message>
        <source>The staff&apos;s outputs of each unit</source>
        <translation>各設備開放給人員的輸出</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>設備</translation>
    </message>
    <message>
        <source>Staff&apos;s outputs (as 1-4, 7)</source>
        <translation>人員的輸出（如 1-4, 7）</translation>
    </message>
    <message>
        <source>%1 (%2 outputs)</source>
        <translation>%1（%2 個輸出）</translation>
    </message>
    <message>
        <source>%1 (not on the line)</source>
        <translation>%1（不在線路上）</translation>
    </message>
    <message>
        <source>The staff&apos;s scenes, by name</source>
        <translation>人員的場景名稱</translation>
    </message>
    <message>
        <source>The staff may also</source>
        <translation>人員也可以</translation>
    </message>
    <message>
        <source>New &amp;password:</source>
        <translation>新密碼(&amp;P)：</translation>
    </message>
    <message>
        <source>&amp;Again:</source>
        <translation>再輸入一次(&amp;A)：</translation>
    </message>
    <message>
        <source>What the staff may touch when locked:</source>
        <translation>鎖定時人員可以操作的項目：</translation>
    </message>
    <message>
        <source>S&amp;cenes:</source>
        <translation>場景(&amp;C)：</translation>
    </message>
    <message>
        <source>A forgotten password: delete %1 as the user who runs Quadrel.</source>
        <translation>忘記密碼時：請以執行 Quadrel 的使用者身分刪除 %1。</translation>
    </message>
    <message>
        <source>The two passwords differ. Type the new password twice.</source>
        <translation>兩次輸入的密碼不同。請輸入新密碼兩次。</translation>
    </message>
    <message>
        <source>Unit %1: &quot;%2&quot; is not a list of its outputs (as 1-4, 7).</source>
        <translation>設備 %1：「%2」不是它的輸出清單（如 1-4, 7）。</translation>
    </message>
    <message>
        <source>A scene&apos;s name is longer than %1 characters.</source>
        <translation>有場景名稱超過 %1 個字元。</translation>
    </message>
    <message>
        <source>More than %1 scenes.</source>
        <translation>場景超過 %1 個。</translation>
    </message>
    <message>
        <source>To start locked, set the technician&apos;s password first.</source>
        <translation>若要啟動時鎖定，請先設定技術人員密碼。</translation>
    </message>
    <message>
        <source>The roles could not be written to %1 (%2).</source>
        <translation>無法將角色寫入 %1（%2）。</translation>
    </message>
    <message>
        <source>New staff PIN for the web panel</source>
        <translation>網頁面板的新員工 PIN 碼</translation>
    </message>
    <message>
        <source>Staff P&amp;IN (web panel):</source>
        <translation>員工 PIN 碼（網頁面板）(&amp;I)：</translation>
    </message>
    <message>
        <source>The staff PIN is %1 to %2 digits.</source>
        <translation>員工 PIN 碼為 %1 到 %2 位數字。</translation>
    </message>
</context>
<context>
    <name>quadrel::SceneCaptureDialog</name>
    <message>
        <source>New scene from the units</source>
        <translation>從設備建立新場景</translation>
    </message>
    <message>
        <source>Scene name</source>
        <translation>場景名稱</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>名稱(&amp;N)：</translation>
    </message>
    <message>
        <source>Units and ports to take</source>
        <translation>要擷取的設備與連接埠</translation>
    </message>
    <message>
        <source>Units, outputs and inputs to take</source>
        <translation>要擷取的設備、輸出與輸入</translation>
    </message>
    <message>
        <source>%1 (ID %2)</source>
        <translation>%1（ID %2）</translation>
    </message>
    <message>
        <source>Outputs</source>
        <translation>輸出</translation>
    </message>
    <message>
        <source>Inputs (EDID)</source>
        <translation>輸入（EDID）</translation>
    </message>
    <message>
        <source>&amp;Every setting</source>
        <translation>所有設定(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Routes</source>
        <translation>切換(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Audio routes</source>
        <translation>音訊切換(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Video routes</source>
        <translation>視訊切換(&amp;V)</translation>
    </message>
    <message>
        <source>The values are read afresh from each unit ticked; the scene is then shown to edit before it is kept.</source>
        <translation>會從每台勾選的設備重新讀取數值；保存前會先顯示場景供編輯。</translation>
    </message>
    <message>
        <source>&amp;Take</source>
        <translation>擷取(&amp;T)</translation>
    </message>
</context>
<context>
    <name>quadrel::SceneDialog</name>
    <message>
        <source>Scene “%1”</source>
        <translation>場景「%1」</translation>
    </message>
    <message>
        <source>New scene</source>
        <translation>新場景</translation>
    </message>
    <message>
        <source>Scene name</source>
        <translation>場景名稱</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <translation>快速鍵</translation>
    </message>
    <message>
        <source>Press the keys that recall the scene; clear it for none.</source>
        <translation>按下叫用此場景的按鍵；清除即為不設定。</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>名稱(&amp;N)：</translation>
    </message>
    <message>
        <source>&amp;Shortcut:</source>
        <translation>快速鍵(&amp;S)：</translation>
    </message>
    <message>
        <source>Units of the scene</source>
        <translation>場景中的設備</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>設備</translation>
    </message>
    <message>
        <source>Memory preset loaded first</source>
        <translation>先載入的記憶預設</translation>
    </message>
    <message>
        <source>What the scene sets</source>
        <translation>場景設定的內容</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>連接埠</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>數值</translation>
    </message>
    <message>
        <source>&amp;Remove rows</source>
        <translation>移除列(&amp;R)</translation>
    </message>
    <message>
        <source>The scene leaves the selected settings as the units hold them.</source>
        <translation>場景將不再變更所選的設定，保持設備目前的狀態。</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>&amp;Delete scene</source>
        <translation>刪除場景(&amp;D)</translation>
    </message>
    <message>
        <source>Delete the scene “%1”? Its units are not changed.</source>
        <translation>要刪除場景「%1」嗎？其設備不會被變更。</translation>
    </message>
    <message>
        <source>%1 (ID %2)</source>
        <extracomment>a unit: its name, its ID on the line in hex</extracomment>
        <translation>%1（ID %2）</translation>
    </message>
    <message>
        <source>Memory preset loaded first on %1</source>
        <translation>%1 上先載入的記憶預設</translation>
    </message>
    <message>
        <source>None</source>
        <translation>無</translation>
    </message>
    <message>
        <source>%1, %2, %3</source>
        <extracomment>a value in the scene&apos;s list: unit, port, setting</extracomment>
        <translation>%1，%2，%3</translation>
    </message>
    <message>
        <source>The unit is not on the line to tell what it takes: the value stays as captured.</source>
        <translation>設備不在線路上，無法得知可接受的範圍：數值維持擷取時的內容。</translation>
    </message>
    <message numerus="yes">
        <source>%n value(s) on %1 unit(s)</source>
        <translation>
            <numerusform>%1 台設備上的 %n 個數值</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 is taken by %2: choose other keys.</source>
        <translation>%1 已被「%2」使用：請選擇其他按鍵。</translation>
    </message>
    <message>
        <source>Give the scene a name.</source>
        <translation>請為場景命名。</translation>
    </message>
    <message>
        <source>The scene sets nothing: add a preset or keep some rows.</source>
        <translation>此場景沒有任何設定：請加入記憶預設或保留部分列。</translation>
    </message>
</context>
<context>
    <name>quadrel::SceneUi</name>
    <message>
        <source>Sce&amp;nes</source>
        <translation>場景(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;New scene from…</source>
        <translation>從設備建立新場景(&amp;N)……</translation>
    </message>
    <message>
        <source>&amp;Edit scene</source>
        <translation>編輯場景(&amp;E)</translation>
    </message>
    <message>
        <source>Unit %1 of %2 (ID %3): %4 of %5 settings</source>
        <translation>設備 %1 / %2（ID %3）：設定 %4 / %5</translation>
    </message>
    <message>
        <source>No scenes yet</source>
        <translation>尚無場景</translation>
    </message>
    <message>
        <source>No port is open.</source>
        <translation>未開啟連接埠。</translation>
    </message>
    <message>
        <source>A scene is being recalled.</source>
        <translation>正在叫用場景。</translation>
    </message>
    <message>
        <source>The line is busy: wait until the scan or read has ended.</source>
        <translation>線路忙碌中：請等待掃描或讀取結束。</translation>
    </message>
    <message>
        <source>Recall: only what differs is sent</source>
        <translation>叫用：只傳送不同的數值</translation>
    </message>
    <message>
        <source>Take a scene from the units&apos; live settings</source>
        <translation>從設備目前的設定擷取場景</translation>
    </message>
    <message>
        <source>Scene %1</source>
        <translation>場景 %1</translation>
    </message>
    <message>
        <source>Scene “%1” was not recalled: %2</source>
        <translation>未叫用場景「%1」：%2</translation>
    </message>
    <message>
        <source>There is no scene “%1”; nothing was sent.</source>
        <translation>沒有場景「%1」；未傳送任何內容。</translation>
    </message>
    <message>
        <source>Nothing was sent: %1</source>
        <translation>未傳送任何內容：%1</translation>
    </message>
    <message>
        <source>Recalling scene “%1”…</source>
        <translation>正在叫用場景「%1」……</translation>
    </message>
    <message>
        <source>Taking back %1…</source>
        <translation>正在復原%1……</translation>
    </message>
    <message>
        <source>Doing again %1…</source>
        <translation>正在重做%1……</translation>
    </message>
    <message>
        <source>… and %1 more lines</source>
        <translation>……另有 %1 行</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Cancelling: reading the unit back…</source>
        <translation>正在取消：重新讀取設備……</translation>
    </message>
    <message>
        <source>No unit answers on the line: scan it first.</source>
        <translation>線路上沒有設備回應：請先掃描。</translation>
    </message>
    <message>
        <source>Tick at least one output or input.</source>
        <translation>請至少勾選一個輸出或輸入。</translation>
    </message>
    <message>
        <source>Reading the units…</source>
        <translation>正在讀取設備……</translation>
    </message>
    <message>
        <source>No scene was made: %1</source>
        <translation>未建立場景：%1</translation>
    </message>
    <message>
        <source>A scene called “%1” is kept already: choose another name.</source>
        <translation>已有名為「%1」的場景：請選擇其他名稱。</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>刪除</translation>
    </message>
    <message>
        <source>Scene “%1” kept</source>
        <translation>已保存場景「%1」</translation>
    </message>
    <message>
        <source>Scene deleted</source>
        <translation>已刪除場景</translation>
    </message>
</context>
<context>
    <name>quadrel::SelectedAudioGroup</name>
    <message>
        <source>Mute</source>
        <translation>靜音</translation>
    </message>
    <message>
        <source>Mute status of the selected outputs</source>
        <translation>所選輸出的靜音狀態</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>毫秒</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>音量</translation>
    </message>
    <message>
        <source>Bass</source>
        <translation>低音</translation>
    </message>
    <message>
        <source>Treble</source>
        <translation>高音</translation>
    </message>
    <message>
        <source>Subwoofer</source>
        <translation>重低音</translation>
    </message>
    <message>
        <source>Delay</source>
        <translation>延遲</translation>
    </message>
    <message>
        <source>the %1 typed is not a number</source>
        <extracomment>%1: the setting, as &quot;volume&quot;</extracomment>
        <translation>輸入的%1不是數字</translation>
    </message>
    <message>
        <source>Not sent: %1.</source>
        <extracomment>%1: why, as &quot;delay 45 ms is outside 0-40 ms&quot;</extracomment>
        <translation>未傳送：%1。</translation>
    </message>
</context>
<context>
    <name>quadrel::SwitchGrid</name>
    <message>
        <source>crosspoint grid</source>
        <translation>交叉點矩陣</translation>
    </message>
</context>
<context>
    <name>quadrel::SwitchView</name>
    <message>
        <source>input scroll</source>
        <translation>輸入捲軸</translation>
    </message>
    <message>
        <source>output scroll</source>
        <translation>輸出捲軸</translation>
    </message>
    <message>
        <source>input %1, output %2</source>
        <translation>輸入 %1，輸出 %2</translation>
    </message>
    <message>
        <source>INPUT</source>
        <translation>輸入</translation>
    </message>
    <message>
        <source>


O
U
T
P
U
T</source>
        <extracomment>The outputs&apos; caption, written downwards one letter a line.</extracomment>
        <translation>


輸
出</translation>
    </message>
    <message>
        <source>OUTPUT</source>
        <translation>輸出</translation>
    </message>
    <message>
        <source>A&amp;udio</source>
        <translation>音訊(&amp;U)</translation>
    </message>
    <message>
        <source>Enable/Disable audio switching</source>
        <translation>啟用/停用音訊切換</translation>
    </message>
    <message>
        <source>&amp;Video</source>
        <translation>視訊(&amp;V)</translation>
    </message>
    <message>
        <source>Enable/Disable video switching</source>
        <translation>啟用/停用視訊切換</translation>
    </message>
    <message>
        <source>Select &amp;all</source>
        <translation>全選(&amp;A)</translation>
    </message>
    <message>
        <source>Select/Deselect all output</source>
        <translation>選取/取消選取所有輸出</translation>
    </message>
    <message>
        <source>&amp;Disconnect</source>
        <translation>中斷(&amp;D)</translation>
    </message>
    <message>
        <source>Go to input or output</source>
        <translation>前往輸入或輸出</translation>
    </message>
    <message>
        <source>Input 12, Output 5 or a name</source>
        <translation>輸入 12、輸出 5 或名稱</translation>
    </message>
    <message>
        <source>Enter: go there; Escape: close</source>
        <translation>Enter：前往；Esc：關閉</translation>
    </message>
    <message>
        <source>Not current: unit %1 is not answering</source>
        <translation>非目前狀態：設備 %1 無回應</translation>
    </message>
    <message>
        <source>Not current: the port was lost</source>
        <translation>非目前狀態：連接埠已中斷</translation>
    </message>
    <message>
        <source>Go to:</source>
        <translation>前往：</translation>
    </message>
    <message>
        <source>No single input or output is &quot;%1&quot;: go to:</source>
        <translation>沒有唯一符合「%1」的輸入或輸出：前往：</translation>
    </message>
</context>
<context>
    <name>quadrel::TraceFiguresView</name>
    <message>
        <source>Figures per unit</source>
        <translation>各設備統計</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>設備</translation>
    </message>
    <message>
        <source>Requests</source>
        <translation>要求</translation>
    </message>
    <message>
        <source>Answers</source>
        <translation>回應</translation>
    </message>
    <message>
        <source>Refused</source>
        <translation>拒收</translation>
    </message>
    <message>
        <source>Repeats</source>
        <translation>重送</translation>
    </message>
    <message>
        <source>Give-ups</source>
        <translation>放棄</translation>
    </message>
    <message>
        <source>Dropped bytes</source>
        <translation>丟棄位元組</translation>
    </message>
    <message>
        <source>Nothing is counted while the log window is closed and the trace stopped.</source>
        <translation>記錄視窗關閉且停止記錄時不做任何統計。</translation>
    </message>
    <message>
        <source>Counted since %1</source>
        <translation>統計起始於 %1</translation>
    </message>
    <message>
        <source>No unit at %1</source>
        <translation>%1 沒有設備</translation>
    </message>
    <message>
        <source>Bytes dropped while no answer was awaited: %1</source>
        <translation>未等待回應時丟棄的位元組：%1</translation>
    </message>
</context>
<context>
    <name>quadrel::UnitPane</name>
    <message>
        <source>Units</source>
        <translation>設備</translation>
    </message>
    <message>
        <source>Memory</source>
        <translation>記憶</translation>
    </message>
    <message>
        <source>Loca&amp;tion</source>
        <translation>位置(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>儲存(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Load</source>
        <translation>載入(&amp;L)</translation>
    </message>
    <message>
        <source>last seen</source>
        <translation>上次所見</translation>
    </message>
    <message>
        <source>Overwrite memory location %1 of %2 with its present state?</source>
        <translation>要以目前狀態覆寫%2的記憶位置 %1 嗎？</translation>
    </message>
    <message>
        <source>What %1 holds now is lost.</source>
        <translation>%1 目前的內容將會遺失。</translation>
    </message>
    <message>
        <source>&amp;Overwrite</source>
        <translation>覆寫(&amp;O)</translation>
    </message>
    <message>
        <source>Saved the live state to memory location %1 of %2</source>
        <translation>已將現場狀態儲存至%2的記憶位置 %1</translation>
    </message>
    <message>
        <source>Not saved to memory location %1 of %2: the unit did not answer</source>
        <translation>未儲存至%2的記憶位置 %1：設備沒有回應</translation>
    </message>
    <message>
        <source>Its contents have not been read.</source>
        <translation>其內容尚未讀取。</translation>
    </message>
    <message>
        <source>It holds what the unit shows now: nothing will change.</source>
        <translation>其內容與設備目前狀態相同：不會有任何變更。</translation>
    </message>
    <message>
        <source>These will change:
%1</source>
        <translation>以下將會變更：
%1</translation>
    </message>
    <message>
        <source>
… and %1 more.</source>
        <translation>
…… 另有 %1 項。</translation>
    </message>
    <message>
        <source>Load memory location %1 into %2?</source>
        <translation>要將記憶位置 %1 載入%2嗎？</translation>
    </message>
    <message>
        <source>Loaded memory location %1 into %2</source>
        <translation>已將記憶位置 %1 載入%2</translation>
    </message>
    <message>
        <source>Not loaded memory location %1 into %2: the unit did not answer</source>
        <translation>未將記憶位置 %1 載入%2：設備沒有回應</translation>
    </message>
</context>
<context>
    <name>quadrel::UnlockDialog</name>
    <message>
        <source>Unlock</source>
        <translation>解除鎖定</translation>
    </message>
    <message>
        <source>The technician&apos;s &amp;password:</source>
        <translation>技術人員密碼(&amp;P)：</translation>
    </message>
    <message>
        <source>The technician&apos;s password</source>
        <translation>技術人員密碼</translation>
    </message>
    <message>
        <source>&amp;Unlock</source>
        <translation>解除鎖定(&amp;U)</translation>
    </message>
    <message>
        <source>Try again.</source>
        <translation>請再試一次。</translation>
    </message>
    <message>
        <source>Wrong password. The next try is taken in %1 s.</source>
        <extracomment>%1: seconds</extracomment>
        <translation>密碼錯誤。%1 秒後才能再試。</translation>
    </message>
</context>
<context>
    <name>quadrel::VideoInputPanel</name>
    <message>
        <source>Fixed EDID</source>
        <translation>固定 EDID</translation>
    </message>
    <message>
        <source>EDID of output 1</source>
        <translation>輸出 1 的 EDID</translation>
    </message>
    <message>
        <source>The unit shows the source on this input its own fixed EDID</source>
        <translation>設備向此輸入的訊號源提供其固定 EDID</translation>
    </message>
    <message>
        <source>The unit passes on to the source on this input the EDID of the display on output 1</source>
        <translation>設備將輸出 1 顯示器的 EDID 轉給此輸入的訊號源</translation>
    </message>
    <message>
        <source>Plugged</source>
        <translation>已插入</translation>
    </message>
    <message>
        <source>Input %1: a source is plugged in</source>
        <translation>輸入 %1：已插入訊號源</translation>
    </message>
    <message>
        <source>Unplugged</source>
        <translation>未插入</translation>
    </message>
    <message>
        <source>Input %1: nothing is plugged in</source>
        <translation>輸入 %1：未插入任何裝置</translation>
    </message>
    <message>
        <source>Plug unknown</source>
        <translation>接頭不明</translation>
    </message>
    <message>
        <source>Input %1: the unit has not reported its plug yet</source>
        <translation>輸入 %1：設備尚未回報接頭狀態</translation>
    </message>
</context>
<context>
    <name>quadrel::VideoPage</name>
    <message>
        <source>Select all</source>
        <translation>全選</translation>
    </message>
    <message>
        <source>EDID of the ticked inputs</source>
        <translation>勾選輸入的 EDID</translation>
    </message>
    <message>
        <source>Fixed EDID</source>
        <translation>固定 EDID</translation>
    </message>
    <message>
        <source>EDID of output 1</source>
        <translation>輸出 1 的 EDID</translation>
    </message>
    <message>
        <source>Scroll inputs</source>
        <translation>捲動輸入</translation>
    </message>
    <message>
        <source>Which EDID the unit shows the sources on the ticked inputs</source>
        <translation>設備向勾選輸入的訊號源提供哪一種 EDID</translation>
    </message>
    <message>
        <source>The unit shows the sources on the ticked inputs its own fixed EDID</source>
        <translation>設備向勾選輸入的訊號源提供其固定 EDID</translation>
    </message>
    <message>
        <source>The unit passes on to the sources on the ticked inputs the EDID of the display on output 1</source>
        <translation>設備將輸出 1 顯示器的 EDID 轉給勾選輸入的訊號源</translation>
    </message>
</context>
<context>
    <name>quadrel::WindowLock</name>
    <message>
        <source>&amp;Roles</source>
        <translation>角色(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Lock for the staff</source>
        <translation>鎖定給人員使用(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Unlock…</source>
        <translation>解除鎖定(&amp;U)……</translation>
    </message>
    <message>
        <source>Not locked: set the technician&apos;s password in Options first, so the window can be unlocked again.</source>
        <translation>未鎖定：請先在選項中設定技術人員密碼，才能再解除鎖定。</translation>
    </message>
    <message>
        <source>Locked for the staff</source>
        <translation>已鎖定給人員使用</translation>
    </message>
    <message>
        <source>Unlocked: the technician may change everything</source>
        <translation>已解除鎖定：技術人員可以變更所有設定</translation>
    </message>
    <message>
        <source>Unlock refused: wrong password</source>
        <translation>拒絕解除鎖定：密碼錯誤</translation>
    </message>
    <message>
        <source>The window is not locked</source>
        <translation>視窗沒有鎖定</translation>
    </message>
    <message>
        <source>unit %1 outputs %2</source>
        <extracomment>a unit&apos;s outputs the staff may use: &quot;unit 0A outputs 1-4, 7&quot;</extracomment>
        <translation>設備 %1 的輸出 %2</translation>
    </message>
    <message>
        <source>no outputs</source>
        <translation>沒有輸出</translation>
    </message>
    <message>
        <source>; </source>
        <translation>；</translation>
    </message>
    <message>
        <source>Locked for the staff: switching, mute and volume on %1; scenes: %2. Everything else is the technician&apos;s. Unlock: Roles &gt; Unlock (Ctrl+Shift+L).</source>
        <extracomment>%1: where, as &quot;unit 0A outputs 1-4&quot;; %2: the scenes&apos; names, or &quot;none&quot;</extracomment>
        <translation>已鎖定給人員使用：可在%1切換、靜音及調整音量；場景：%2。其餘操作僅限技術人員。解除鎖定：角色 &gt; 解除鎖定（Ctrl+Shift+L）。</translation>
    </message>
    <message>
        <source>none</source>
        <translation>無</translation>
    </message>
    <message>
        <source>, </source>
        <translation>、</translation>
    </message>
</context>
<context>
    <name>quadrel::frmLog</name>
    <message>
        <source>Quadrel communication log</source>
        <translation>TLY 通訊記錄</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>開始</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>&amp;Record</source>
        <translation>記錄(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Run</source>
        <translation>開始記錄(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>停止記錄(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>檢視(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Tool Bar</source>
        <translation>工具列(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Clear</source>
        <translation>清除(&amp;C)</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>另存新檔(&amp;A)...</translation>
    </message>
    <message>
        <source>Save the trace</source>
        <translation>儲存記錄</translation>
    </message>
    <message>
        <source>Text files (*.txt)</source>
        <translation>文字檔 (*.txt)</translation>
    </message>
    <message>
        <source>In &amp;Words</source>
        <translation>文字說明(&amp;W)</translation>
    </message>
    <message>
        <source>&amp;Hide Polls</source>
        <translation>隱藏輪詢(&amp;H)</translation>
    </message>
    <message>
        <source>Show Pi&amp;eces</source>
        <translation>顯示片段(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Figures</source>
        <translation>統計(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Pause</source>
        <translation>暫停畫面(&amp;P)</translation>
    </message>
    <message>
        <source>Figures per unit</source>
        <translation>各設備統計</translation>
    </message>
    <message>
        <source>The trace could not be saved to %1.</source>
        <translation>無法將記錄儲存至 %1。</translation>
    </message>
</context>
<context>
    <name>quadrel::frmMain</name>
    <message>
        <source>Switch</source>
        <translation>切換</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>音訊</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>視訊</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>選項(&amp;O)</translation>
    </message>
    <message>
        <source>S&amp;can</source>
        <translation>掃描(&amp;C)</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>結束(&amp;X)</translation>
    </message>
    <message>
        <source>Save unit settings…</source>
        <translation>儲存設備設定……</translation>
    </message>
    <message>
        <source>Restore unit settings…</source>
        <translation>還原設備設定……</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編輯(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>復原(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>重做(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Go to input or output…</source>
        <translation>前往輸入或輸出(&amp;G)……</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>復原</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>重做</translation>
    </message>
    <message>
        <source>&amp;Undo: %1</source>
        <translation>復原(&amp;U)：%1</translation>
    </message>
    <message>
        <source>&amp;Redo: %1</source>
        <translation>重做(&amp;R)：%1</translation>
    </message>
</context>
<context>
    <name>quadrel::frmOptions</name>
    <message>
        <source>Options</source>
        <translation>選項</translation>
    </message>
    <message>
        <source>&amp;Port number :</source>
        <translation>連接埠編號(&amp;P)：</translation>
    </message>
    <message>
        <source>&amp;Baud rate :</source>
        <translation>鮑率(&amp;B)：</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Window</source>
        <translation>視窗</translation>
    </message>
    <message>
        <source>&amp;Language:</source>
        <translation>語言(&amp;L)：</translation>
    </message>
    <message>
        <source>The window changes its language at the next start.</source>
        <translation>視窗語言會在下次啟動時變更。</translation>
    </message>
    <message>
        <source>COM%1 at %2 baud is in use now, but the choice could not be stored in %3 (%4). The next start will not use it.</source>
        <translation>目前使用 COM%1，鮑率 %2，但此選擇無法儲存至 %3（%4）。下次啟動時不會使用它。</translation>
    </message>
    <message>
        <source>The language could not be stored in %1 (%2).</source>
        <translation>語言無法儲存至 %1（%2）。</translation>
    </message>
    <message>
        <source>Can not open COM%1</source>
        <translation>無法開啟 COM%1</translation>
    </message>
</context>
</TS>
