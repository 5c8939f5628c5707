// Saves a record: the form text and two local files (a photo and a signature) posted in one
// SendData request to the site's receiver, which stores them. The operator logs in through the
// data-save object's own dialog when the site asks for it.
//   lumbra run examples/pages/quorra-save.js HOST PORT PHOTO_FILE SIGNATURE_FILE [KEY]
var host = args[0] || "127.0.0.1";
var port = args[1] || "80";
var photo = args[2];
var signature = args[3];
var key = args[4] || "E1002";

var save = new ActiveXObject("Quorra.DataSave");
save.ServerURL = host;
save.PORT = port;
save.AppPath = "/";                       // the login probe asks for /Blank.html
save.DLLVERSION = "/lumbra/SendData.asp"; // the receiver page
save.FieldInfoList = "ID=" + key + "&NAME=Tomas Brenner&DEPT=Issuance";

save.SelectBlob("PHOTO", "EMPLOYEE", "front view", "", photo, "ID=" + key);
save.SelectBlob("SIGNATURE", "EMPLOYEE", "", "", signature, "ID=" + key);
print("quorra-save: files selected: " + save.BlobSelected());

var answer = save.SendData();
print("quorra-save: answer: " + answer);

// The captured files stay where they are; a page that owns them would call CleanUp instead.
save.CleanUpNoDelete();
print("quorra-save: selection cleared: " + !save.BlobSelected());
