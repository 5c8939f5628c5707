// The data-save object's other services: a form answered by the site's GetData page, a
// registry value, a text file written, read back and removed, and the automation error a
// page gets for a bad hive number.
//   lumbra run examples/pages/quorra-local.js HOST PORT
var save = new ActiveXObject("Quorra.DataSave.1");
save.ServerURL = args[0] || "127.0.0.1";
save.PORT = args[1] || "80";
save.AppPath = "/";

print("quorra-local: GetData answered: " + save.GetData("/lumbra/GetData.asp?ID=E1002&NAME=Tomas+Brenner"));

// HKEY_LOCAL_MACHINE is hive 2; a missing key or value reads as the empty text.
print("quorra-local: default printer setting: '" +
      save.GetRegValue(2, "Software\\Korvel\\Lumbra", "DefaultPrinter") + "'");
try {
  save.GetRegValue(4, "Software", "x");
} catch (e) {
  print("quorra-local: hive 4 refused: " + e.description);
}

var note = "quorra-note.txt";
save.WriteTextFile(note, "Saved by the data-save object\r\n");
print("quorra-local: read back: " + save.ReadTextFile(note));
print("quorra-local: removed: " + save.RemoveFile(note) + ", again: " + save.RemoveFile(note));
