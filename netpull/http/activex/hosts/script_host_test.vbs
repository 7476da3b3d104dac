' Netpull.HTTP from Wine's script host: a property read before Download fails with error 91;
' Download takes the script's variables and gives the URL back rewritten; a message box keeps
' the script's thread pumping messages until the file is saved, when the test's helper clicks
' OK (the script host runs no message loop of its own, and WScript.Sleep is missing in Wine).
' Arguments: the URL and the save path. The last line printed is the sentinel "script ended",
' since the script host prints nothing and exits 0 when a script fails.
Option Explicit
Dim http, url, saveAs, unused
url = WScript.Arguments(0)
saveAs = WScript.Arguments(1)
Set http = CreateObject("Netpull.HTTP")
On Error Resume Next
unused = http.URL
WScript.Echo "URL before Download: error " & Err.Number
Err.Clear
http.Download url, saveAs
WScript.Echo "Download: error " & Err.Number
On Error GoTo 0
WScript.Echo "URL: " & url
MsgBox "Downloading " & url, vbOKOnly, "Netpull download"
WScript.Echo "DownloadedBytes: " & http.DownloadedBytes
WScript.Echo "script ended"
