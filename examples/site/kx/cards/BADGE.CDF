[Card]
Width=1012
Height=638
strBackgndBMPName=BADGEBACK.BMP
[Logo]
Left=20
Top=20
BMPFileName=KORVEL.BMP
