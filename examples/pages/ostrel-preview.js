// Print with preview: one event card shown in the production application first; the operator
// answers "Press Yes to print, No to return to the browser." The link names the Ploxen handler,
// so the control also fetches the handler, its ini and the level bitmaps it lists.
//   lumbra run examples/pages/ostrel-preview.js HOST PORT [USER PASSWORD]
var host = args[0] || "127.0.0.1";
var port = args[1] || "80";
var PAIR = "\u00A9-\u00AE";
var GROUP = "\u00A9\u00AE-";

var fields = ["LINKFILENAME=EVENT", "NAME=Mira Okonjo", "EMPNO=1003", "LEVEL=GOLD"].join(PAIR);
var photo = ["TABLEID=EMPLOYEE", "COLUMN=PHOTO", "WHERE=ID=1003", "LINKFIELDNAME=PHOTO"].join(PAIR);

var ostrel = new ActiveXObject("OSTREL.OstrelCtrl.1");
ostrel.ServerURL = host;
ostrel.PORT = port;
if (args.length > 3) {
  ostrel.UserID = args[2];
  ostrel.UserPassword = args[3];
}
ostrel.GETBLOB = "/photo.asp";
ostrel.PrintPreview = true;
ostrel.X = "120";
ostrel.Y = "80";
ostrel.FieldInfoList = fields + GROUP + photo;

print("preview: showing the event card");
ostrel.DoAPrint();
// "N" when the operator said No; after a print the list is empty.
print("preview: done; answer recorded in FieldInfoList: \"" + ostrel.FieldInfoList + "\"");
