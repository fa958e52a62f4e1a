<html>
<head>
<title>Contact</title>
<meta name="description" content="">
<meta name="keywords" content="">
</head>
<body>
<h1>Nous contacter</h1>
<p>Club nautique de la baie, quai du port.<br>
Téléphone : 02 00 00 00 00. Courriel : contact@exemple.invalid</p>
<?php /* le formulaire sera ajouté plus tard */ ?>
</body>
</html>
