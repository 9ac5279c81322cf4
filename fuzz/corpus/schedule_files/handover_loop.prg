A,06:00,20
B,08:00,21
A,B,
B,C,
C,A,
DEFAULT,A,
C,10:00,22
