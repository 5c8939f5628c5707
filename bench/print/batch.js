// Benchmark page: one batch of N staff cards, each with its photo from the stored-photo page.
//   lumbra run bench/print/batch.js HOST PORT USER PASSWORD N
var PAIR = "\u00A9-\u00AE", GROUP = "\u00A9\u00AE-", RECORD = "<&KVPrintRecSep>";
var count = parseInt(args[4], 10);
var records = [];
for (var i = 0; i < count; ++i) {
  var id = String(1001 + (i % 5));
  var fields = ["DATAVIEWID=DV10", "NAME=Card holder " + i, "DEPARTMENT=Bench", "EMPNO=" + id].join(PAIR);
  var photo = ["TABLEID=EMPLOYEE", "COLUMN=PHOTO", "WHERE=ID=" + id, "LINKFIELDNAME=PHOTO"].join(PAIR);
  records.push(fields + GROUP + photo);
}
var ostrel = new ActiveXObject("OSTREL.OstrelCtrl.1");
ostrel.ServerURL = args[0];
ostrel.PORT = args[1];
ostrel.UserID = args[2];
ostrel.UserPassword = args[3];
ostrel.GETBLOB = "/photo.asp";
ostrel.FieldInfoList = records.join(RECORD);
ostrel.DoAPrint();
