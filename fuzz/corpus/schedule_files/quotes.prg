"WEEK, ONE",06:30,21
  "WEEK, ONE", "07:00" ,"21,5"x
"DEFAULT,06:00,20
DE"FAULT,09:00,"
DEFAULT,10:00,21,extra,fields
"Sunday",DEFAULT
"**/**/**","WEEK, ONE"
