// Single-card print: two people in the single-card layout. The record type (TYPE, named by the
// site ini's TYPEFIELD) selects link, card and field map; the photo comes from the employee page.
//   lumbra run examples/pages/ostrel-single.js HOST PORT [USER PASSWORD]
var host = args[0] || "127.0.0.1";
var port = args[1] || "80";

// Separators of the single-card layout (Windows-1252 bytes B6 and F0).
var RECORD = "\u00B6";
var PAIR = "\u00F0";

function record(map) {
  var out = [];
  for (var name in map) out.push(name + "=" + map[name]);
  return out.join(PAIR);
}

var list = [
  record({ HEADER0_1: "E1002", TYPE: "STAFF", NAME: "Tomas Brenner", DEPT: "Issuance" }),
  record({ HEADER0_1: "V2001", TYPE: "VISITOR", NAME: "Lena Marsh", HOST: "Ana Lindqvist" })
].join(RECORD);

var ostrel = new ActiveXObject("OSTREL.OstrelCtrl.1");
ostrel.ServerURL = host;
ostrel.PORT = port;
if (args.length > 3) {
  ostrel.UserID = args[2];
  ostrel.UserPassword = args[3];
}
ostrel.DLLVERSION = "/employee.asp";
ostrel.FieldInfoList = list;

print("single: printing 2 cards");
ostrel.DoAPrint();
print("single: done; link " + ostrel.LinkName + ", card " + ostrel.CardName + ", last photo request " + ostrel.UrlInfo);
