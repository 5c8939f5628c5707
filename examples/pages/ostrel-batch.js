// Batch print: four staff cards in one run, each with its photo from the stored-photo page.
// The list is in the batch layout, so the control prints it as a batch with a progress window.
//   lumbra run examples/pages/ostrel-batch.js HOST PORT [USER PASSWORD]
var host = args[0] || "127.0.0.1";
var port = args[1] || "80";

// Separators of the batch layout (Windows-1252 bytes A9 2D AE, A9 AE 2D, and the record mark).
var PAIR = "\u00A9-\u00AE";
var GROUP = "\u00A9\u00AE-";
var RECORD = "<&KVPrintRecSep>";

function pairs(map) {
  var out = [];
  for (var name in map) out.push(name + "=" + map[name]);
  return out.join(PAIR);
}

// One card: its fields, then one group per photo it carries.
function card(fields, photos) {
  var groups = [pairs(fields)];
  for (var i = 0; i < photos.length; ++i) groups.push(pairs(photos[i]));
  return groups.join(GROUP);
}

function photo(id) {
  return { TABLEID: "EMPLOYEE", COLUMN: "PHOTO", WHERE: "ID=" + id, LINKFIELDNAME: "photo" };
}

var people = [
  { id: "1001", name: "Ana Lindqvist", dept: "Records" },
  { id: "1002", name: "Tomas \"Tom\" Brenner", dept: "Issuance" },
  { id: "1003", name: "Mira Okonjo", dept: "Front Desk" },
  { id: "1004", name: "Jonah Velde", dept: "Security" }
];

var records = [];
for (var i = 0; i < people.length; ++i) {
  var p = people[i];
  // DATAVIEWID selects the link and card through the site ini's IDLINKPRODUCTION section.
  records.push(card({ DATAVIEWID: "DV10", NAME: p.name, DEPARTMENT: p.dept, EMPNO: p.id }, [photo(p.id)]));
}

var ostrel = new ActiveXObject("OSTREL.OstrelCtrl.1");
ostrel.ServerURL = host;
ostrel.PORT = port;
if (args.length > 3) {
  ostrel.UserID = args[2];
  ostrel.UserPassword = args[3];
}
ostrel.GETBLOB = "/photo.asp";
ostrel.FieldInfoList = records.join(RECORD);

print("batch: printing " + people.length + " cards");
ostrel.DoAPrint();
print("batch: done; link " + ostrel.LinkName + ", card " + ostrel.CardName + ", last photo request " + ostrel.UrlInfo);
